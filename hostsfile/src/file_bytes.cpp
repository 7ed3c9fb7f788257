#include "file_bytes.h"

#include <algorithm>
#include <cstring>

namespace hostsfile {

FileBytes::FileBytes(std::size_t capacity)
    : data_(std::make_unique_for_overwrite<char[]>(capacity)), capacity_(capacity) {}

char* FileBytes::Space() {
  if (size_ == capacity_) {
    const std::size_t capacity = std::max(capacity_ * 2, std::size_t{1} << 16);
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0) {
      std::memcpy(data.get(), data_.get(), size_);
    }
    data_ = std::move(data);
    capacity_ = capacity;
  }
  return data_.get() + size_;
}

}  // namespace hostsfile
