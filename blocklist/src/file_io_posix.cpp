#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "blocklist/file_io.h"
#include "file_bytes.h"
#include "rewrite_in_place.h"
#include "rir/posix_file.h"

namespace blocklist {

namespace {

using rir::FileDescriptor;
using rir::FileSize;
using rir::ReadSome;
using rir::WriteAll;

rir::Result<FileBytes> ReadAll(int fd, const std::string& path) {
  // Sized from the file, but read on to the end in case the file grew meanwhile.
  const std::size_t size = FileSize(fd);
  FileBytes bytes(size > 0 ? size + 1 : std::size_t{1} << 16);
  for (;;) {
    char* const target = bytes.Space();
    const ssize_t got = ReadSome(fd, target, bytes.space());
    if (got < 0) {
      return rir::SystemFailure(rir::ErrorCode::kRead, path);
    }
    if (got == 0) {
      return bytes;
    }
    bytes.Commit(static_cast<std::size_t>(got));
  }
}

}  // namespace

rir::Result<void> ReplaceFileContents(const std::string& path, std::string_view text) {
  // Readable by all, as a hosts file is: when there is no file yet, the copy becomes it.
  rir::SiblingFile copy(path);
  if (auto written = copy.Write(text, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH); !written) {
    return written;
  }

  FileDescriptor target(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!target.valid()) {
    if (errno != ENOENT) {
      return rir::SystemFailure(rir::ErrorCode::kWrite, path);
    }
    // No file yet: the copy becomes it, in one step.
    if (auto flushed = copy.Flush(); !flushed) {
      return flushed;
    }
    return copy.MoveOntoTarget();
  }

  // The old text, to put back should the rewrite fail part way.
  auto old_text = ReadAll(target.get(), path);
  if (!old_text) {
    return old_text.error();
  }
  if (auto flushed = copy.Flush(); !flushed) {
    return flushed;
  }
  if (auto rewritten =
          RewriteInPlace(target.get(), path, old_text->view(), text, SystemFileWriteOps());
      !rewritten) {
    return rewritten;
  }
  if (target.Close() != 0) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, path);
  }
  return {};
}

}  // namespace blocklist
