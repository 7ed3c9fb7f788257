#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "ini_lock.h"
#include "rir/posix_file.h"

namespace settings {

struct IniLock::Held {
  rir::FileDescriptor fd{-1};
};

IniLock::IniLock(std::unique_ptr<Held> held) : held_(std::move(held)) {}
IniLock::IniLock(IniLock&&) noexcept = default;
IniLock& IniLock::operator=(IniLock&&) noexcept = default;
// Closing the descriptor lets the lock go.
IniLock::~IniLock() = default;

rir::Result<IniLock> IniLock::ForWriting(const std::string& path) {
  const std::string lock_path = path + ".lock";
  auto held = std::make_unique<Held>();
  // Never written, only locked; readable by its owner alone, so that nobody else can hold it.
  held->fd = rir::FileDescriptor(::open(lock_path.c_str(),
                                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                                        S_IRUSR | S_IWUSR));
  if (!held->fd.valid()) {
    return rir::SystemFailure(rir::ErrorCode::kLock, lock_path);
  }
  struct stat info {};
  if (::fstat(held->fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return rir::Error{rir::ErrorCode::kLock, lock_path, "it is no regular file"};
  }
  const auto give_up = std::chrono::steady_clock::now() + kMostLockWait;
  while (::flock(held->fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return rir::SystemFailure(rir::ErrorCode::kLock, lock_path);
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      return rir::Error{rir::ErrorCode::kLock, lock_path, LockWaitReason()};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return IniLock(std::move(held));
}

rir::Result<IniLock> IniLock::ForReading(const std::string& /*path*/) {
  return IniLock(std::make_unique<Held>());
}

}  // namespace settings
