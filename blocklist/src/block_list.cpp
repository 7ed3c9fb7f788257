#include "blocklist/block_list.h"

#include <limits>
#include <stdexcept>
#include <utility>

namespace blocklist {

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
}

rir::Result<std::size_t> BlockList::Append(std::string_view website, Status status) {
  if (!IsSingleLine(website) || website.size() > std::numeric_limits<std::uint32_t>::max()) {
    return rir::Error{rir::ErrorCode::kInvalidText, {}, {}};
  }
  Push(website, status, LineEnd::kNone, kNoOrigin);
  return records_.size() - 1;
}

void BlockList::AppendLoaded(std::string_view website, Status status, LineEnd line_end,
                             std::size_t origin) {
  Push(website, status, line_end, origin);
}

void BlockList::Push(std::string_view website, Status status, LineEnd line_end,
                     std::size_t origin) {
  records_.push_back(
      Record{text_.size(), static_cast<std::uint32_t>(website.size()), status, line_end, origin});
  text_.append(website);
}

std::optional<std::size_t> BlockList::FindLast(std::string_view website) const {
  for (std::size_t position = records_.size(); position-- > 0;) {
    if (TextOf(records_[position]) == website) {
      return position;
    }
  }
  return std::nullopt;
}

void BlockList::SetStatus(std::size_t position, Status status) {
  records_.at(position).status = status;
}

void BlockList::Remove(std::size_t position) {
  if (position >= records_.size()) {
    throw std::out_of_range("BlockList::Remove");
  }
  garbage_ += records_[position].text_size;
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(position));
  if (selected_) {
    if (*selected_ == position) {
      selected_.reset();
    } else if (*selected_ > position) {
      --*selected_;
    }
  }
  CompactIfMostlyGarbage();
}

// Removed entries leave their text behind; once it is most of the buffer, copy out the rest.
void BlockList::CompactIfMostlyGarbage() {
  if (garbage_ < 4096 || garbage_ < text_.size() / 2) {
    return;
  }
  std::string live;
  live.reserve(text_.size() - garbage_);
  for (Record& record : records_) {
    const std::size_t offset = live.size();
    live.append(TextOf(record));
    record.text_offset = offset;
  }
  text_ = std::move(live);
  garbage_ = 0;
}

void BlockList::Clear() {
  records_ = {};
  text_ = {};
  garbage_ = 0;
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
    records_[*selected_].status = status;
  }
}

void BlockList::RemoveSelected() {
  if (selected_) {
    Remove(*selected_);
  }
}

}  // namespace blocklist
