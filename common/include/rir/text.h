// Small helpers for text held as bytes.
#pragma once

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

}  // namespace rir
