#include "blocklist/block_list.h"

#include <stdexcept>
#include <utility>

namespace blocklist {

std::string_view StatusText(Status status) {
  return status == Status::kAllowed ? "Allowed" : "Blocked";
}

bool IsSingleLine(std::string_view website) {
  return website.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

rir::Result<std::size_t> BlockList::Append(std::string website, Status status) {
  if (!IsSingleLine(website)) {
    return rir::Error{rir::ErrorCode::kInvalidText, {}, {}};
  }
  entries_.push_back(Entry{std::move(website), status, LineEnd::kNone, kNoOrigin});
  return entries_.size() - 1;
}

void BlockList::AppendLoaded(std::string website, Status status, LineEnd line_end,
                             std::size_t origin) {
  entries_.push_back(Entry{std::move(website), status, line_end, origin});
}

std::optional<std::size_t> BlockList::FindLast(std::string_view website) const {
  for (std::size_t position = entries_.size(); position-- > 0;) {
    if (entries_[position].website == website) {
      return position;
    }
  }
  return std::nullopt;
}

void BlockList::SetStatus(std::size_t position, Status status) {
  entries_.at(position).status = status;
}

void BlockList::Remove(std::size_t position) {
  if (position >= entries_.size()) {
    throw std::out_of_range("BlockList::Remove");
  }
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  if (selected_) {
    if (*selected_ == position) {
      selected_.reset();
    } else if (*selected_ > position) {
      --*selected_;
    }
  }
}

void BlockList::Clear() {
  entries_.clear();
  selected_.reset();
}

void BlockList::Select(std::size_t position) {
  if (position >= entries_.size()) {
    throw std::out_of_range("BlockList::Select");
  }
  selected_ = position;
}

void BlockList::SetSelectedStatus(Status status) {
  if (selected_) {
    entries_[*selected_].status = status;
  }
}

void BlockList::RemoveSelected() {
  if (selected_) {
    Remove(*selected_);
  }
}

}  // namespace blocklist
