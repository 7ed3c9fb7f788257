// Rewriting an open file in place, with the old text put back when the write fails part way.
// The system calls come through `FileWriteOps` so that tests can make them fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace hostsfile {

struct FileWriteOps {
  // Each returns -1 and leaves errno set on failure, as the system calls do.
  std::function<long(int fd, const char* data, std::size_t size, std::int64_t offset)> write_at;
  std::function<int(int fd, std::int64_t length)> truncate;
  std::function<int(int fd)> sync;
};

FileWriteOps SystemFileWriteOps();

// Writes `new_text` over the file open as `fd` (whose contents are `old_text`), truncates and
// syncs it. If any step fails, writes `old_text` back and returns the first failure; when the old
// text cannot be put back either, the error is `kLeftPartWritten`, with both reasons.
rir::Result<void> RewriteInPlace(int fd, const std::string& path, std::string_view old_text,
                                 std::string_view new_text, const FileWriteOps& ops);

}  // namespace hostsfile
