#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <ctime>

#include "hostsfile/finished_file.h"
#include "rir/posix_file.h"

namespace hostsfile {

namespace {

constexpr std::int64_t kBillion = 1'000'000'000;

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * kBillion + time.tv_nsec;
}

rir::Error StillBeingWritten(const std::string& path) {
  return rir::Error{rir::ErrorCode::kStillBeingWritten, path, {}};
}

// Whether another process holds the open file for writing: the system grants a read lease only
// while no one does. Taken and given up at once: a lease held would make the next process that
// opens the file for writing wait for us. Where no lease can be had (this user does not own the
// file, the file system keeps none), the quiet time alone must tell.
bool OpenForWritingElsewhere(int fd) {
  // Were a writer to open it in the moment the lease is held, the system would signal us; SIGURG
  // is ignored unless asked for, where the default signal would end the process.
  if (::fcntl(fd, F_SETSIG, SIGURG) != 0) {
    return false;
  }
  if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0) {
    return errno == EAGAIN;
  }
  ::fcntl(fd, F_SETLEASE, F_UNLCK);
  return false;
}

}  // namespace

rir::Result<void> CheckFinished(const std::string& path) {
  rir::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.valid()) {
    if (errno == ENOENT) {
      return {};  // removed: nothing is being written there
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t since = Nanoseconds(now) - Nanoseconds(status.st_mtim);
  // A time ahead of the clock (a clock set back, a time given by hand) tells nothing, and must
  // not hold the file up for ever.
  if (since >= 0 &&
      since < std::chrono::duration_cast<std::chrono::nanoseconds>(kQuietTime).count()) {
    return StillBeingWritten(path);
  }
  if (S_ISREG(status.st_mode) && OpenForWritingElsewhere(file.get())) {
    return StillBeingWritten(path);
  }
  return {};
}

}  // namespace hostsfile
