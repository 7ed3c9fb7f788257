#include "key_presence.h"

#include <algorithm>
#include <string>

#include "rir/text.h"

namespace settings {

namespace {

std::string_view Trim(std::string_view text) {
  return rir::Trimmed(text, " \t\v\f");
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

// `line` (lower case) is `key=` with an empty value.
bool GivesTheEmptyValue(std::string_view line, std::string_view key) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos || Trim(line.substr(0, equals)) != key) {
    return false;
  }
  const std::string_view value = Trim(line.substr(equals + 1));
  return value.empty() || value == "\"\"" || value == "''";
}

}  // namespace

bool MightGiveKeyAValue(std::string_view text, std::string_view key) {
  const std::string lower_key = Lower(key);
  std::string_view rest = text;
  while (!rest.empty()) {
    const auto end = std::min(rest.find_first_of("\r\n"), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    std::string seen = Lower(line);
    const bool has_nul = std::erase(seen, '\0') > 0;
    if (seen.find(lower_key) != std::string::npos &&
        (has_nul || !GivesTheEmptyValue(seen, lower_key))) {
      return true;
    }
  }
  return false;
}

}  // namespace settings
