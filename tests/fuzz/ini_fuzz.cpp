// Fuzzes the INI reader and writer: reading any text never fails; a written value reads back
// without its outer blanks and one pair of enclosing quotes, as the Windows calls give it back;
// every line that does not hold the key survives the write, and so does every other value. A
// text that the password check takes to give a key no value gives it none in the reader.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ini_text.h"
#include "key_presence.h"

namespace {

void Require(bool holds) {
  if (!holds) {
    std::abort();
  }
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The blanks of the Windows calls: space, tab, and the other white space of the C locale.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// What a read gives back for a value written as it is.
std::string AsReadBack(std::string_view value) {
  while (!value.empty() && IsBlank(value.front()))
    value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back()))
    value.remove_suffix(1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Whether every line of `before` that does not mention `key` (in any letter case) is in
// `after`, in order, with its line end. Lines end as the reader ends them: at every CR and
// every LF, a CR LF pair once.
bool OtherLinesSurvive(std::string_view before, std::string_view after, std::string_view key) {
  const std::string lower_key = Lower(key);
  std::size_t from = 0;
  std::size_t at = 0;
  while (at < before.size()) {
    std::size_t end = before.find_first_of("\r\n", at);
    if (end == std::string_view::npos) {
      end = before.size();
    } else {
      end += before.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    }
    const std::string_view line = before.substr(at, end - at);
    at = end;
    if (Lower(line).find(lower_key) != std::string::npos ||
        line.find('[') != std::string_view::npos) {
      continue;  // the key's own line, or a section line that the new key may follow
    }
    const std::size_t found = after.find(line, from);
    if (found == std::string_view::npos) {
      return false;
    }
    from = found + line.size();
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(12);
  const std::string key = input.ConsumeRandomLengthString(12);
  const std::string value = input.ConsumeRandomLengthString(300);
  const std::string text = input.ConsumeRemainingBytesAsString();

  // Reading any text, under any names, never fails.
  (void)settings::FindIniValue(text, section, key);
  // Where the check sees no value for the password, no reader finds one: else a state file
  // would open with the empty password while holding another.
  if (!settings::MightGiveKeyAValue(text, "pwd")) {
    Require(settings::FindIniValue(text, "settings", "pwd").empty());
    Require(settings::FindIniValue(text, section, "pwd").empty());
  }

  // Names the writers accept: no line breaks, no NUL, and such as a section and key can be.
  // (Blanks around a name are dropped on both sides; that is checked by the unit tests.)
  const auto plain = [](std::string_view name) {
    if (name.empty() || HasLineBreakOrNul(name) || IsBlank(name.front()) || IsBlank(name.back())) {
      return false;
    }
    for (const char c : name) {
      if (c == '[' || c == ']' || c == '=' || c == ';' || c == ' ' || c == '\t')
        return false;
    }
    return true;
  };
  if (!plain(section) || !plain(key) || HasLineBreakOrNul(value)) {
    return 0;
  }
  const std::string written = settings::SetIniValue(text, section, key, value);
  Require(settings::FindIniValue(written, section, key) == AsReadBack(value));
  Require(OtherLinesSurvive(text, written, key));
  // The new line ends no other line early and joins none to the next.
  for (const std::string_view other : {"firstrun", "pwd"}) {
    if (Lower(other) != Lower(key)) {
      Require(settings::FindIniValue(written, section, other) ==
              settings::FindIniValue(text, section, other));
    }
    if (Lower(section) != "settings") {
      Require(settings::FindIniValue(written, "settings", other) ==
              settings::FindIniValue(text, "settings", other));
    }
  }
  return 0;
}
