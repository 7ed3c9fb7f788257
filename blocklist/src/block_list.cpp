#include "blocklist/block_list.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

#include "rir/large_pages.h"

namespace blocklist {

void detail::TextBytes::reserve(std::size_t bytes) {
  if (bytes > capacity_) {
    auto data = std::make_unique_for_overwrite<char[]>(bytes);
    if (size_ > 0) {
      std::memcpy(data.get(), data_.get(), size_);
    }
    data_ = std::move(data);
    capacity_ = bytes;
  }
}

void detail::TextBytes::Grow(std::size_t more) {
  reserve(std::max({capacity_ * 2, size_ + more, std::size_t{64}}));
}

void detail::TextBytes::Erase(std::size_t begin, std::size_t count) {
  if (count == 0) {
    return;
  }
  std::memmove(data_.get() + begin, data_.get() + begin + count, size_ - begin - count);
  size_ -= count;
}

std::string_view StatusText(Status status) {
  return status == Status::kAllowed ? "Allowed" : "Blocked";
}

bool IsSingleLine(std::string_view website) {
  return website.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

Entry BlockList::at(std::size_t position) const {
  if (position >= records_.size()) {
    throw std::out_of_range("BlockList::at");
  }
  return (*this)[position];
}

void BlockList::reserve(std::size_t count, std::size_t text_bytes) {
  records_.reserve(count);
  text_.reserve(text_bytes);
  rir::PreferLargePages(records_.data() + records_.size(),
                        (records_.capacity() - records_.size()) * sizeof(Record));
  rir::PreferLargePages(text_.data() + text_.size(), text_.capacity() - text_.size());
}

void BlockList::ReleaseUnusedRoom() {
  rir::ReleaseUnwritten(records_.data() + records_.size(),
                        (records_.capacity() - records_.size()) * sizeof(Record));
  rir::ReleaseUnwritten(text_.data() + text_.size(), text_.capacity() - text_.size());
}

rir::Result<std::size_t> BlockList::Append(std::string_view website, Status status) {
  if (!IsSingleLine(website) || website.size() > kMostWebsiteBytes - text_.size()) {
    return rir::Error{rir::ErrorCode::kInvalidText, {}, {}};
  }
  Push(website, status, LineEnd::kNone, kNoOrigin);
  return records_.size() - 1;
}

void BlockList::TooMuchText() {
  throw std::length_error("BlockList: more than 4 GiB of website text");
}

std::optional<std::size_t> BlockList::FindLast(std::string_view website) const {
  for (std::size_t position = records_.size(); position-- > 0;) {
    if (TextOf(position) == website) {
      return position;
    }
  }
  return std::nullopt;
}

void BlockList::SetStatus(std::size_t position, Status status) {
  std::uint32_t& flags = records_.at(position).flags;
  flags = (flags & ~kStatusBit) | static_cast<std::uint32_t>(status);
}

void BlockList::Remove(std::size_t position) {
  if (position >= records_.size()) {
    throw std::out_of_range("BlockList::Remove");
  }
  // The texts after it move up, so that the texts stay without gaps.
  const std::size_t begin = TextBegin(position);
  const std::uint32_t size = records_[position].text_end - static_cast<std::uint32_t>(begin);
  text_.Erase(begin, size);
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(position));
  for (std::size_t i = position; i < records_.size(); ++i) {
    records_[i].text_end -= size;
  }
  if (selected_) {
    if (*selected_ == position) {
      selected_.reset();
    } else if (*selected_ > position) {
      --*selected_;
    }
  }
}

void BlockList::RemoveAll(const std::vector<std::size_t>& positions) {
  if (!std::is_sorted(positions.begin(), positions.end()) ||
      (!positions.empty() && positions.back() >= records_.size())) {
    throw std::out_of_range("BlockList::RemoveAll");
  }
  // One pass that moves each kept text and record up once: removing rows one by one would move
  // the rest of a million texts for each.
  char* const text = text_.data();
  std::size_t kept = 0;
  std::size_t kept_end = 0;
  auto next_removed = positions.begin();
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (next_removed != positions.end() && *next_removed == i) {
      while (next_removed != positions.end() && *next_removed == i) {
        ++next_removed;  // a position given twice goes once
      }
      continue;
    }
    const std::size_t begin = TextBegin(i);
    const std::size_t size = records_[i].text_end - begin;
    if (kept_end != begin && size != 0) {
      std::memmove(text + kept_end, text + begin, size);
    }
    kept_end += size;
    records_[kept] = Record{static_cast<std::uint32_t>(kept_end), records_[i].flags};
    ++kept;
  }
  text_.Erase(kept_end, text_.size() - kept_end);
  records_.resize(kept);
  selected_.reset();
}

void BlockList::Clear() {
  records_ = {};
  text_ = {};
  selected_.reset();
}

void BlockList::Select(std::size_t position) {
  if (position >= records_.size()) {
    throw std::out_of_range("BlockList::Select");
  }
  selected_ = position;
}

void BlockList::SetSelectedStatus(Status status) {
  if (selected_) {
    SetStatus(*selected_, status);
  }
}

void BlockList::RemoveSelected() {
  if (selected_) {
    Remove(*selected_);
  }
}

}  // namespace blocklist
