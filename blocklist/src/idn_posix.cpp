#include <idn2.h>

#include <memory>
#include <string>

#include "blocklist/host_name.h"

namespace blocklist::detail {

rir::Result<std::string> IdnToAscii(const std::string& name, TextEncoding /*encoding*/) {
  char* converted = nullptr;
  // Names are read as the system's text, UTF-8 here; mapped as browsers map them (UTS #46).
  const int status =
      idn2_to_ascii_8z(name.c_str(), &converted, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
  const std::unique_ptr<char, decltype(&idn2_free)> owned(converted, &idn2_free);
  if (status != IDN2_OK) {
    return rir::Error{rir::ErrorCode::kNotAHostName, name,
                      std::string("It cannot be an international name: ") + idn2_strerror(status)};
  }
  return std::string(converted);
}

std::string IdnToUnicode(const std::string& name) {
  char* converted = nullptr;
  const int status = idn2_to_unicode_8z8z(name.c_str(), &converted, 0);
  const std::unique_ptr<char, decltype(&idn2_free)> owned(converted, &idn2_free);
  return status == IDN2_OK ? std::string(converted) : std::string();
}

}  // namespace blocklist::detail
