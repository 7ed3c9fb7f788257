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
// The same, with the old text given as the `same` bytes it shares with the new one from their
// start and the rest, `old_rest`: the old text need not be held whole.
rir::Result<void> RewriteInPlace(int fd, const std::string& path, std::size_t same,
                                 std::string_view old_rest, std::string_view new_text,
                                 const FileWriteOps& ops);

// How many bytes the two texts share from their start: what a rewrite leaves alone.
std::size_t CommonPrefixLength(std::string_view a, std::string_view b);

// Whether `file` may be what a rewrite of `old_text` into `new_text` left when it was cut short,
// the new text written part way or the old one put back part way: no longer than the longer
// text, no shorter than the shorter, and each byte the old text's or the new one's there. Another
// program's edit since is next to never so.
bool LeftByRewrite(std::string_view file, std::string_view old_text, std::string_view new_text);

}  // namespace hostsfile
