#include <windows.h>

#include <string>

#include "blocklist/host_name.h"

namespace blocklist::detail {

rir::Result<std::string> IdnToAscii(const std::string& name) {
  const auto fail = [&] {
    return rir::Error{rir::ErrorCode::kNotAHostName, name,
                      "It cannot be an international name: " + rir::LastSystemReason()};
  };
  // The text is in the system's 8-bit code page; the conversion takes UTF-16.
  const int wide_size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(),
                                            static_cast<int>(name.size()), nullptr, 0);
  if (wide_size <= 0) {
    return fail();
  }
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()),
                      wide.data(), wide_size);
  const int ascii_size = ::IdnToAscii(0, wide.data(), wide_size, nullptr, 0);
  if (ascii_size <= 0) {
    return fail();
  }
  std::wstring ascii(static_cast<std::size_t>(ascii_size), L'\0');
  if (::IdnToAscii(0, wide.data(), wide_size, ascii.data(), ascii_size) <= 0) {
    return fail();
  }
  std::string result;
  result.reserve(ascii.size());
  for (const wchar_t c : ascii) {
    result.push_back(static_cast<char>(c));  // the ASCII form is ASCII throughout
  }
  return result;
}

}  // namespace blocklist::detail
