// Small pieces of POSIX file handling that more than one layer needs.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "rir/result.h"

namespace rir {

// Owns a file descriptor and closes it once.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~FileDescriptor() { Close(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // 0, or -1 with errno set.
  int Close();

 private:
  int fd_;
};

// write() until all of `text` is out, tried again when a signal interrupts it.
bool WriteAll(int fd, std::string_view text);
// read(), tried again when a signal interrupts it.
ssize_t ReadSome(int fd, char* into, std::size_t room);

// The folder part of a path: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);
// Makes a rename or a new file in the folder of `path` last through a crash.
Result<void> SyncFolder(const std::string& path);

// Puts `text` in place of the file in one step (a flushed sibling, then a rename), so that a
// failure or a crash leaves the old file whole. The new file keeps the old one's mode; a new
// file is readable by its owner only. A file that may not be written is left alone.
Result<void> ReplaceFileByRename(const std::string& path, std::string_view text);

// The whole file as it stands; nothing when there is no such file (or folder).
Result<std::optional<std::string>> ReadSmallFile(const std::string& path);

}  // namespace rir
