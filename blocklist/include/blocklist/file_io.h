// Whole-file reading and a durable replacement of a file's contents.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace blocklist {

// A file's bytes, in a buffer that is not cleared before the file is read into it.
class FileBytes {
 public:
  FileBytes() = default;
  explicit FileBytes(std::size_t capacity);

  std::string_view view() const { return {data_.get(), size_}; }
  // Where more bytes go, and how many fit there; grows the buffer when it is full.
  char* Space();
  std::size_t space() const { return capacity_ - size_; }
  void Commit(std::size_t count) { size_ += count; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The file's bytes; no value when there is no such file (or no such folder).
rir::Result<std::optional<FileBytes>> ReadFileIfExists(const std::string& path);

// Makes `text` the file's contents without ever leaving it half written or empty: on any
// failure the file is exactly as before. An existing file keeps its identity (on Windows its
// ACL and attributes; elsewhere its inode, owner, mode and security label, so that a
// bind-mounted /etc/hosts stays what it was).
rir::Result<void> ReplaceFileContents(const std::string& path, std::string_view text);

}  // namespace blocklist
