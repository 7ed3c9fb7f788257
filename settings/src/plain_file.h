// Reading a file that must be a plain one of a few bytes, as an INI file such as the state file
// is: never through a symbolic link (on Windows, any reparse point), never a pipe, device or
// folder, and never more than a given size, so that nothing put in the file's place is read
// for it, keeps the reader waiting or fills its memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "rir/result.h"

namespace settings {

// The most an INI file of ours may hold: the state file needs a few hundred bytes.
inline constexpr std::size_t kMostIniFileBytes = std::size_t{64} << 10;

// The whole file; nothing when there is no such file (or folder). Anything but a plain file is
// kNotRegularFile, a file of more than `most_bytes` kTooLarge.
rir::Result<std::optional<std::string>> ReadPlainFile(const std::string& path,
                                                      std::size_t most_bytes);

// The reason given for a file of more than `most_bytes`.
std::string TooLargeReason(std::size_t most_bytes);

}  // namespace settings
