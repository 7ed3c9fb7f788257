// Reading a file in pieces, and a durable replacement of a file's contents.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace blocklist {

// Reads the file in pieces, handing each to `consume` with the size the file had when it was
// opened. False when there is no such file (or no such folder).
rir::Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume);

// Makes `text` the file's contents without ever leaving it half written or empty: on any
// failure the file is exactly as before. An existing file keeps its identity (on Windows its
// ACL and attributes; elsewhere its inode, owner, mode and security label, so that a
// bind-mounted /etc/hosts stays what it was).
rir::Result<void> ReplaceFileContents(const std::string& path, std::string_view text);

}  // namespace blocklist
