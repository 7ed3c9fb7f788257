// Small helpers for text held as bytes.
#pragma once

#include <algorithm>
#include <string_view>

namespace rir {

// `text` without the bytes of `blanks` at either end. Each reader says which bytes are blank to
// it: a line's own end is, for one, and part of the value, for another.
constexpr std::string_view Trimmed(std::string_view text, std::string_view blanks) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Where the line that starts at `at` (not past the end) ends: at its first CR or LF, or at the
// end of the text. find_first_of("\r\n") would look for the two bytes at every byte in turn; this
// finds the line end with memchr and then looks for a CR within the line, which is many times
// faster over the megabytes of a large hosts file.
inline std::size_t LineEndAt(std::string_view text, std::size_t at) {
  const std::size_t lf = std::min(text.find('\n', at), text.size());
  const std::size_t cr = text.substr(at, lf - at).find('\r');
  return cr == std::string_view::npos ? lf : at + cr;
}

}  // namespace rir
