// One value of an INI file, read or written at the moment of the call; nothing is kept between
// calls. On Windows these are the system's private-profile calls; elsewhere our own reader and
// writer, which behave the same way.
//
// The file must be a plain file of at most 64 KB: a symbolic link, a pipe, a device or anything
// larger reads as no values and is never written. Writers wait for one another, in this process
// and others, so that two writes of different values both last. Each write leaves the file
// readable by nobody but its owner (mode 0600), or on Windows by Administrators and SYSTEM
// only.
#pragma once

#include <cstddef>
#include <string>

#include "rir/result.h"

namespace modINIFile {

// At most this many characters of a value come back.
inline constexpr std::size_t kMaxValueLength = 254;

// The value of `key` in `section` (both found whatever their letter case): the text after the
// first "=", without blanks at either end or one pair of enclosing quotes, cut to
// kMaxValueLength. "" when the file, the section or the key is missing, or the file unreadable.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& path);

// Sets `key` in `section` to `value`: creates the file or the section when missing, changes the
// key where it stands or adds it at the end of its section, and keeps every other line. Text
// holding CR, LF or NUL is refused, since it would add lines of its own to the file.
rir::Result<void> WriteIniValue(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& path);

}  // namespace modINIFile
