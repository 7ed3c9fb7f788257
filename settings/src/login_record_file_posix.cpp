#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "ini_lock.h"
#include "rir/posix_file.h"
#include "settings/record_file.h"

namespace settings {

namespace {

constexpr std::size_t kMostRecordBytes = 256;

}  // namespace

struct LockedRecordFile::Held {
  std::string path;
  rir::FileDescriptor fd{-1};
};

LockedRecordFile::LockedRecordFile(std::unique_ptr<Held> held) : held_(std::move(held)) {}
LockedRecordFile::LockedRecordFile(LockedRecordFile&&) noexcept = default;
LockedRecordFile& LockedRecordFile::operator=(LockedRecordFile&&) noexcept = default;
// Closing the descriptor lets the lock go.
LockedRecordFile::~LockedRecordFile() = default;

rir::Result<LockedRecordFile> LockedRecordFile::Open(const std::string& path) {
  auto held = std::make_unique<Held>();
  held->path = path;
  held->fd = rir::FileDescriptor(::open(
      path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, S_IRUSR | S_IWUSR));
  if (!held->fd.valid()) {
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  struct stat info {};
  if (::fstat(held->fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, {}};
  }
  const auto give_up = std::chrono::steady_clock::now() + kMostLockWait;
  while (::flock(held->fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return rir::SystemFailure(rir::ErrorCode::kLock, path);
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      return rir::Error{rir::ErrorCode::kLock, path, LockWaitReason()};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return LockedRecordFile(std::move(held));
}

rir::Result<std::string> LockedRecordFile::Read() {
  std::string text(kMostRecordBytes, '\0');
  const ssize_t got = ::pread(held_->fd.get(), text.data(), text.size(), 0);
  if (got < 0) {
    return rir::SystemFailure(rir::ErrorCode::kRead, held_->path);
  }
  text.resize(static_cast<std::size_t>(got));
  return text;
}

rir::Result<void> LockedRecordFile::Write(std::string_view text) {
  const int fd = held_->fd.get();
  // The new count first, then the end cut: a write that fails (a full disk, a file-size limit)
  // leaves the old count, never an empty record, which would count as no failures.
  if (::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()) ||
      ::ftruncate(fd, static_cast<off_t>(text.size())) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, held_->path);
  }
  if (::fsync(fd) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, held_->path);
  }
  return {};
}

}  // namespace settings
