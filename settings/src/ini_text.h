// INI text as the Windows private-profile calls read and change it, for systems without them.
#pragma once

#include <string>
#include <string_view>

namespace settings {

// The whole value of the first `key` in the first `section` (letter case ignored in both),
// trimmed of blanks, cut at a NUL and then of one pair of enclosing quotes; "" when there is
// none. Every CR and every LF ends a line, and a UTF-8 byte order mark before the first line is
// no part of it, as with the Windows calls.
std::string FindIniValue(std::string_view text, std::string_view section, std::string_view key);

// `text` with `key` in `section` set to `value`; every other line stays byte for byte.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace settings
