// A file's bytes, in a buffer that is not cleared before the file is read into it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace hostsfile {

class FileBytes {
 public:
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

}  // namespace hostsfile
