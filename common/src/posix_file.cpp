#include "rir/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
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

Result<void> ReplaceFileByRename(const std::string& path, std::string_view text) {
  // A rename would get past a file that may not be written; its owner meant it to stay.
  if (FileDescriptor existing(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
      !existing.valid() && errno != ENOENT) {
    return SystemFailure(ErrorCode::kWrite, path);
  }
  std::string sibling = path + ".XXXXXX";
  FileDescriptor fd(::mkostemp(sibling.data(), O_CLOEXEC));
  if (!fd.valid()) {
    return SystemFailure(ErrorCode::kCreateTemporary, path);
  }
  struct Remover {
    const std::string& path;
    bool keep = false;
    ~Remover() {
      if (!keep) {
        ::unlink(path.c_str());
      }
    }
  } remover{sibling};

  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) != 0) {
    return SystemFailure(ErrorCode::kWrite, sibling);
  }
  if (!WriteAll(fd.get(), text)) {
    return SystemFailure(ErrorCode::kWrite, sibling);
  }
  if (::fsync(fd.get()) != 0 || fd.Close() != 0) {
    return SystemFailure(ErrorCode::kFlush, sibling);
  }
  if (::rename(sibling.c_str(), path.c_str()) != 0) {
    return SystemFailure(ErrorCode::kReplace, path);
  }
  remover.keep = true;
  return SyncFolder(path);
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
