#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "blocklist/file_io.h"
#include "rewrite_in_place.h"

namespace blocklist {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// A file beside the target that disappears unless kept.
class SiblingCopy {
 public:
  explicit SiblingCopy(const std::string& target) : path_(target + ".XXXXXX") {}
  SiblingCopy(const SiblingCopy&) = delete;
  SiblingCopy& operator=(const SiblingCopy&) = delete;
  ~SiblingCopy() {
    if (!kept_ && created_) {
      ::unlink(path_.c_str());
    }
  }
  int Create() {
    const int fd = ::mkostemp(path_.data(), O_CLOEXEC);
    created_ = fd >= 0;
    return fd;
  }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool created_ = false;
  bool kept_ = false;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
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

rir::Error Failure(rir::ErrorCode code, const std::string& path) {
  return rir::Error{code, path, rir::LastSystemReason()};
}

rir::Result<std::string> ReadAll(int fd, const std::string& path) {
  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) {
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return Failure(rir::ErrorCode::kRead, path);
    }
    if (got == 0) {
      return bytes;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

// A flushed copy of the new text beside the target: it proves there is room before the target
// is touched, and it is what a crash part way through would leave to recover from.
rir::Result<void> WriteSiblingCopy(SiblingCopy& copy, const std::string& target,
                                   std::string_view text) {
  FileDescriptor fd(copy.Create());
  if (!fd.valid()) {
    return Failure(rir::ErrorCode::kCreateTemporary, target);
  }
  // Readable by all, as a hosts file is: when there is no file yet, the copy becomes it.
  if (!WriteAll(fd.get(), text) || ::fchmod(fd.get(), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) != 0) {
    return Failure(rir::ErrorCode::kWrite, copy.path());
  }
  if (::fsync(fd.get()) != 0 || fd.Close() != 0) {
    return Failure(rir::ErrorCode::kFlush, copy.path());
  }
  return {};
}

rir::Result<void> SyncFolder(const std::string& path) {
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid() || ::fsync(folder.get()) != 0) {
    return Failure(rir::ErrorCode::kFlush, FolderOf(path));
  }
  return {};
}

}  // namespace

rir::Result<std::optional<std::string>> ReadFileIfExists(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT) {
      return std::optional<std::string>();
    }
    return Failure(rir::ErrorCode::kOpenForReading, path);
  }
  auto bytes = ReadAll(fd.get(), path);
  if (!bytes) {
    return bytes.error();
  }
  return std::optional<std::string>(std::move(*bytes));
}

rir::Result<void> ReplaceFileContents(const std::string& path, std::string_view text) {
  SiblingCopy copy(path);
  if (auto written = WriteSiblingCopy(copy, path, text); !written) {
    return written;
  }

  FileDescriptor target(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!target.valid()) {
    if (errno != ENOENT) {
      return Failure(rir::ErrorCode::kWrite, path);
    }
    // No file yet: the copy becomes it, in one step.
    if (::rename(copy.path().c_str(), path.c_str()) != 0) {
      return Failure(rir::ErrorCode::kReplace, path);
    }
    copy.Keep();
    return SyncFolder(path);
  }

  auto old_text = ReadAll(target.get(), path);
  if (!old_text) {
    return old_text.error();
  }
  if (auto rewritten = RewriteInPlace(target.get(), path, *old_text, text, SystemFileWriteOps());
      !rewritten) {
    return rewritten;
  }
  if (target.Close() != 0) {
    return Failure(rir::ErrorCode::kFlush, path);
  }
  return {};
}

}  // namespace blocklist
