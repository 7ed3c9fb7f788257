// Reading files: in pieces for large ones, whole for small ones.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace rir {

// The most any file is read to: more is no hosts or state file, and would exhaust the memory.
inline constexpr std::size_t kMostFileBytes = std::size_t{2} << 30;

// Reads the file in pieces, handing each to `consume` with the size the file had when it was
// opened. False when there is no such file (or no such folder). Only regular files are read (a
// pipe would block, a device read on without end), and none past kMostFileBytes, even one that
// grows while it is read.
Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume);

// The whole file as it stands; nothing when there is no such file (or folder).
Result<std::optional<std::string>> ReadSmallFile(const std::string& path);

}  // namespace rir
