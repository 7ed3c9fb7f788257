// Whether a text might give a key a value, however it is read: the check behind a state file
// that is taken to hold no password. A reader that finds no value where a value was meant (in a
// second section of the same name, after bytes it does not expect, in UTF-16) would otherwise
// let anyone in with the empty password.
#pragma once

#include <string_view>

namespace settings {

// False only when no line of `text` could give `key` (not empty) a value other than "": the
// text is split at every CR and every LF, and every line that holds `key` anywhere, in any
// letter case and in any section or none, even with NULs between its letters (as in UTF-16
// text), must be `key=` with nothing after the "=" but blanks or one pair of empty quotes, and
// no NUL.
bool MightGiveKeyAValue(std::string_view text, std::string_view key);

}  // namespace settings
