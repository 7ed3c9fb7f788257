#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "plain_file.h"
#include "rir/posix_file.h"

namespace settings {

namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "it is a folder";
  }
  if (S_ISFIFO(mode)) {
    return "it is a named pipe";
  }
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return "it is a device";
  }
  if (S_ISSOCK(mode)) {
    return "it is a socket";
  }
  return "it is no regular file";
}

}  // namespace

rir::Result<std::optional<std::string>> ReadPlainFile(const std::string& path,
                                                      std::size_t most_bytes) {
  // O_NONBLOCK: a named pipe opens at once instead of waiting for a writer, and is then refused.
  rir::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return std::optional<std::string>();
    }
    if (errno == ELOOP) {
      return rir::Error{rir::ErrorCode::kNotRegularFile, path, "it is a symbolic link"};
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kRead, path);
  }
  if (!S_ISREG(info.st_mode)) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, KindOf(info.st_mode)};
  }
  if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) > most_bytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path, TooLargeReason(most_bytes)};
  }
  // One byte more than allowed, to see a file that grew after fstat.
  std::string text(most_bytes + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t read = rir::ReadSome(fd.get(), text.data() + got, text.size() - got);
    if (read < 0) {
      return rir::SystemFailure(rir::ErrorCode::kRead, path);
    }
    if (read == 0) {
      break;
    }
    got += static_cast<std::size_t>(read);
  }
  if (got > most_bytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path, TooLargeReason(most_bytes)};
  }
  text.resize(got);
  return std::optional<std::string>(std::move(text));
}

}  // namespace settings
