#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
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

// Whether the open file holds exactly `text`, read in pieces from its start, so that a file
// that is already right costs no copy of it in memory. An error reading counts as different:
// the full read that follows reports it.
bool HoldsExactly(int fd, std::string_view text) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, piece.get(), kPiece, static_cast<off_t>(offset));
    if (got < 0) {
      return false;
    }
    if (got == 0) {
      return offset == text.size();
    }
    const auto count = static_cast<std::size_t>(got);
    if (offset + count > text.size() ||
        std::memcmp(piece.get(), text.data() + offset, count) != 0) {
      return false;
    }
    offset += count;
  }
}

// Writes `text` into `copy` beside the file and waits until it is on disk. Readable by all, as a
// hosts file is: when there is no file yet, the copy becomes it.
rir::Result<void> WriteCopy(rir::SiblingFile& copy, std::string_view text) {
  if (auto written = copy.Write(text, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH); !written) {
    return written;
  }
  return copy.Flush();
}

}  // namespace

rir::Result<bool> ReplaceFileContents(const std::string& path, std::string_view text,
                                      const std::function<void()>& before_change) {
  FileDescriptor target(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!target.valid()) {
    if (errno != ENOENT) {
      return rir::SystemFailure(rir::ErrorCode::kWrite, path);
    }
    // No file yet: the copy becomes it, in one step.
    rir::SiblingFile copy(path);
    if (auto written = WriteCopy(copy, text); !written) {
      return written.error();
    }
    if (auto moved = copy.MoveOntoTarget(); !moved) {
      return moved.error();
    }
    return true;
  }

  // The file holds this text already (Apply without a change, or the second Apply of Exit).
  if (HoldsExactly(target.get(), text)) {
    return false;
  }
  if (before_change) {
    before_change();
  }
  // The old text, to put back should the rewrite fail part way.
  auto old_text = ReadAll(target.get(), path);
  if (!old_text) {
    return old_text.error();
  }
  // A flushed copy beside the file proves there is room for the whole new text before a byte
  // of the file changes.
  rir::SiblingFile copy(path);
  if (auto written = WriteCopy(copy, text); !written) {
    return written.error();
  }
  if (auto rewritten =
          RewriteInPlace(target.get(), path, old_text->view(), text, SystemFileWriteOps());
      !rewritten) {
    return rewritten.error();
  }
  if (target.Close() != 0) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, path);
  }
  return true;
}

}  // namespace blocklist
