#include <windows.h>

#include <string>

#include "blocklist/host_name.h"

namespace blocklist::detail {

rir::Result<std::string> IdnToAscii(const std::string& name, TextEncoding encoding) {
  const auto fail = [&] {
    return rir::Error{rir::ErrorCode::kNotAHostName, name,
                      "It cannot be an international name: " + rir::LastSystemReason()};
  };
  // The conversion takes UTF-16.
  const UINT code_page = encoding == TextEncoding::kUtf8 ? CP_UTF8 : CP_ACP;
  const int wide_size = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, name.data(),
                                            static_cast<int>(name.size()), nullptr, 0);
  if (wide_size <= 0) {
    return fail();
  }
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()),
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

std::string IdnToUnicode(const std::string& name) {
  // The ASCII form is ASCII throughout, the same in every code page.
  const std::wstring ascii(name.begin(), name.end());
  const int wide_size = ::IdnToUnicode(0, ascii.data(), static_cast<int>(ascii.size()), nullptr, 0);
  if (wide_size <= 0) {
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  if (::IdnToUnicode(0, ascii.data(), static_cast<int>(ascii.size()), wide.data(), wide_size) <=
      0) {
    return {};
  }
  // A letter the code page lacks would come out as '?' or a look-alike: no letters then.
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size,
                                       nullptr, 0, nullptr, &lost);
  if (size <= 0 || lost) {
    return {};
  }
  std::string letters(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size, letters.data(), size,
                      nullptr, &lost);
  return lost ? std::string() : letters;
}

}  // namespace blocklist::detail
