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

std::size_t FileSize(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

SiblingFile::~SiblingFile() {
  fd_.Close();
  if (created_ && !moved_) {
    ::unlink(path_.c_str());
  }
}

Result<void> SiblingFile::Create(mode_t mode) {
  fd_ = FileDescriptor(::mkostemp(path_.data(), O_CLOEXEC | O_NOFOLLOW));
  if (!fd_.valid()) {
    return SystemFailure(ErrorCode::kCreateTemporary, target_);
  }
  created_ = true;
  if (::fchmod(fd_.get(), mode) != 0) {
    return SystemFailure(ErrorCode::kWrite, path_);
  }
  return {};
}

Result<void> SiblingFile::Append(std::string_view text) {
  if (!WriteAll(fd_.get(), text)) {
    return SystemFailure(ErrorCode::kWrite, path_);
  }
  return {};
}

Result<void> SiblingFile::Write(std::string_view text, mode_t mode) {
  if (auto created = Create(mode); !created) {
    return created;
  }
  if (auto appended = Append(text); !appended) {
    return appended;
  }
#ifdef __linux__
  ::sync_file_range(fd_.get(), 0, 0, SYNC_FILE_RANGE_WRITE);  // only a head start for Flush
#endif
  return {};
}

Result<void> SiblingFile::Flush() {
  if (::fsync(fd_.get()) != 0 || fd_.Close() != 0) {
    return SystemFailure(ErrorCode::kFlush, path_);
  }
  return {};
}

int SiblingFile::RenameOntoTarget() {
  if (::rename(path_.c_str(), target_.c_str()) != 0) {
    return errno;
  }
  moved_ = true;
  return 0;
}

Result<void> SiblingFile::MoveOntoTarget() {
  if (const int failure = RenameOntoTarget(); failure != 0) {
    return Error{ErrorCode::kReplace, target_, SystemReason(failure)};
  }
  return SyncFolder(target_);
}

Result<void> ReplaceFileByRename(const std::string& path, std::string_view text, mode_t mode) {
  // A rename would get past a file that may not be written; its owner meant it to stay. The
  // rename would also put a file where a symbolic link was, which nobody asked for.
  if (FileDescriptor existing(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
      !existing.valid() && errno != ENOENT) {
    return SystemFailure(ErrorCode::kWrite, path);
  }
  SiblingFile sibling(path);
  if (auto written = sibling.Write(text, mode); !written) {
    return written;
  }
  if (auto flushed = sibling.Flush(); !flushed) {
    return flushed;
  }
  return sibling.MoveOntoTarget();
}

}  // namespace rir
