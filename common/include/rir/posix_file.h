// Small pieces of POSIX file handling that more than one layer needs.
#pragma once

#include <sys/types.h>

#include <cstddef>
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
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
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

// The file's size as it stands, 0 when unknown.
std::size_t FileSize(int fd);

// The folder part of a path: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);
// Makes a rename or a new file in the folder of `path` last through a crash.
Result<void> SyncFolder(const std::string& path);

// A new file beside a target, which disappears unless it is moved onto the target. Its name is
// the target's, `tag`, and six unpredictable characters; it is made with O_EXCL and O_NOFOLLOW,
// so that nothing put there beforehand (a symbolic link least of all) is ever written through.
class SiblingFile {
 public:
  explicit SiblingFile(const std::string& target, std::string_view tag = "")
      : target_(target), path_(target + std::string(tag) + ".XXXXXX") {}
  SiblingFile(const SiblingFile&) = delete;
  SiblingFile& operator=(const SiblingFile&) = delete;
  ~SiblingFile();

  // Creates and writes the file with `mode`, and sets its flush going while the caller does
  // other work.
  Result<void> Write(std::string_view text, mode_t mode);
  // The same in steps, for text that comes in pieces: creates the empty file, then adds to it.
  Result<void> Create(mode_t mode);
  Result<void> Append(std::string_view text);
  // Waits until the file is on disk.
  Result<void> Flush();
  // Renames the flushed file onto the target, and makes the rename last.
  Result<void> MoveOntoTarget();
  // The rename alone: 0, or the errno of a rename that failed (the file then stays, to be
  // removed with this object).
  int RenameOntoTarget();

  const std::string& path() const { return path_; }
  // The open file, between Write and Flush.
  int fd() const { return fd_.get(); }

 private:
  std::string target_;
  std::string path_;
  FileDescriptor fd_{-1};
  bool created_ = false;
  bool moved_ = false;
};

// Puts `text` in place of the file in one step (a flushed sibling, then a rename), so that a
// failure or a crash leaves the old file whole. The new file has `mode`, whatever the old one's
// was. A file that may not be written is left alone, and so is a symbolic link.
Result<void> ReplaceFileByRename(const std::string& path, std::string_view text, mode_t mode);

}  // namespace rir
