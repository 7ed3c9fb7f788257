#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <utility>

#include "blocklist/file_io.h"
#include "file_bytes.h"
#include "rewrite_in_place.h"
#include "rir/posix_file.h"

namespace blocklist {

namespace {

using rir::FileDescriptor;
using rir::ReadSome;
using rir::SyncFolder;
using rir::WriteAll;

// A copy of the new text beside the target, which disappears unless kept. Written before the
// target is touched, it proves there is room, and it is what a crash part way would leave.
class SiblingCopy {
 public:
  explicit SiblingCopy(const std::string& target) : path_(target + ".XXXXXX") {}
  SiblingCopy(const SiblingCopy&) = delete;
  SiblingCopy& operator=(const SiblingCopy&) = delete;
  ~SiblingCopy() {
    fd_.Close();
    if (!kept_ && created_) {
      ::unlink(path_.c_str());
    }
  }

  // Creates and writes the copy, and sets its flush going while the caller does other work.
  rir::Result<void> Write(const std::string& target, std::string_view text);
  // Waits until the copy is on disk.
  rir::Result<void> Flush();

  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  FileDescriptor fd_{-1};
  bool created_ = false;
  bool kept_ = false;
};

// The file's size as it stands, 0 when unknown.
std::size_t FileSize(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

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

rir::Result<void> SiblingCopy::Write(const std::string& target, std::string_view text) {
  fd_ = FileDescriptor(::mkostemp(path_.data(), O_CLOEXEC));
  if (!fd_.valid()) {
    return rir::SystemFailure(rir::ErrorCode::kCreateTemporary, target);
  }
  created_ = true;
  // Readable by all, as a hosts file is: when there is no file yet, the copy becomes it.
  if (!WriteAll(fd_.get(), text) ||
      ::fchmod(fd_.get(), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path_);
  }
#ifdef __linux__
  ::sync_file_range(fd_.get(), 0, 0, SYNC_FILE_RANGE_WRITE);  // only a head start for Flush
#endif
  return {};
}

rir::Result<void> SiblingCopy::Flush() {
  if (::fsync(fd_.get()) != 0 || fd_.Close() != 0) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, path_);
  }
  return {};
}

}  // namespace

rir::Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT) {
      return false;
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  const std::size_t file_size = FileSize(fd.get());
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
  for (;;) {
    const ssize_t got = ReadSome(fd.get(), buffer.get(), kPiece);
    if (got < 0) {
      return rir::SystemFailure(rir::ErrorCode::kRead, path);
    }
    if (got == 0) {
      return true;
    }
    consume(std::string_view(buffer.get(), static_cast<std::size_t>(got)), file_size);
  }
}

rir::Result<void> ReplaceFileContents(const std::string& path, std::string_view text) {
  SiblingCopy copy(path);
  if (auto written = copy.Write(path, text); !written) {
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
    if (::rename(copy.path().c_str(), path.c_str()) != 0) {
      return rir::SystemFailure(rir::ErrorCode::kReplace, path);
    }
    copy.Keep();
    return SyncFolder(path);
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
