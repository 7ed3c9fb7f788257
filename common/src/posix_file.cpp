#include "rir/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace rir {

int FileDescriptor::Close() {
  const int result = fd_ >= 0 ? ::close(fd_) : 0;
  fd_ = -1;
  return result;
}

bool WriteAll(int fd, std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

ssize_t ReadSome(int fd, char* into, std::size_t room) {
  ssize_t got = 0;
  do {
    got = ::read(fd, into, room);
  } while (got < 0 && errno == EINTR);
  return got;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

Result<void> SyncFolder(const std::string& path) {
  const std::string folder_path = FolderOf(path);
  FileDescriptor folder(::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid() || ::fsync(folder.get()) != 0) {
    return SystemFailure(ErrorCode::kFlush, folder_path);
  }
  return {};
}

Result<std::optional<std::string>> ReadSmallFile(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return std::optional<std::string>();
    }
    return SystemFailure(ErrorCode::kOpenForReading, path);
  }
  std::string text;
  char piece[8192];
  for (;;) {
    const ssize_t got = ReadSome(fd.get(), piece, sizeof piece);
    if (got < 0) {
      return SystemFailure(ErrorCode::kRead, path);
    }
    if (got == 0) {
      return std::optional<std::string>(std::move(text));
    }
    text.append(piece, static_cast<std::size_t>(got));
  }
}

}  // namespace rir
