// The block list: the websites the user manages, in the order they were read or added.
// Website texts are bytes in the system's 8-bit code page, compared exactly (ordinal,
// case-sensitive).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rir/result.h"

namespace blocklist {

enum class Status : std::uint8_t { kBlocked, kAllowed };

// "Blocked" or "Allowed", the words the list shows.
std::string_view StatusText(Status status);

// How a line of the hosts file ended; an entry keeps its own so a rewrite does not change it.
enum class LineEnd : std::uint8_t { kNone, kLf, kCr, kCrLf };

// Where an entry came from: the n-th entry line of the loaded hosts file, or nowhere (added).
inline constexpr std::size_t kNoOrigin = static_cast<std::size_t>(-1);

// The list's limits, which let it spend 8 bytes on an entry besides its text: 4 GiB of website
// text in all, and origins below kMostOrigins (an origin from there on reads back as kNoOrigin).
// The hosts parser keeps the entry lines past either limit as other lines (see hosts_format.h).
inline constexpr std::size_t kMostWebsiteBytes = 0xFFFF'FFFF;
inline constexpr std::size_t kMostOrigins = (std::size_t{1} << 29) - 1;

// One entry as the list holds it. The website text is a view into the list: valid until the list
// next changes.
struct Entry {
  std::string_view website;
  Status status = Status::kBlocked;
  LineEnd line_end = LineEnd::kNone;
  std::size_t origin = kNoOrigin;
};

namespace detail {

// Bytes in room that is not cleared before it is written: the list's website texts, appended by
// the million when a hosts file loads.
class TextBytes {
 public:
  TextBytes() = default;
  TextBytes(const TextBytes& other) { Append(other.view()); }
  TextBytes& operator=(const TextBytes& other) {
    if (this != &other) {
      TextBytes copy(other);
      *this = std::move(copy);
    }
    return *this;
  }
  TextBytes(TextBytes&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  TextBytes& operator=(TextBytes&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }
  ~TextBytes() = default;

  std::string_view view() const { return {data_.get(), size_}; }
  char* data() { return data_.get(); }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  void reserve(std::size_t bytes);
  void Append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) {
      Grow(bytes.size());
    }
    if (!bytes.empty()) {
      std::memcpy(data_.get() + size_, bytes.data(), bytes.size());
    }
    size_ += bytes.size();
  }
  void Erase(std::size_t begin, std::size_t count);

 private:
  void Grow(std::size_t more);

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace detail

// Positions are 0-based indices into the list. The website texts share one buffer, so that a
// list of a million entries costs little more than its text.
class BlockList {
 public:
  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  Entry at(std::size_t position) const;  // throws std::out_of_range past the end
  Entry operator[](std::size_t position) const {
    const std::uint32_t flags = records_[position].flags;
    const std::uint32_t origin = flags >> kOriginShift;
    return Entry{TextOf(position), static_cast<Status>(flags & kStatusBit),
                 static_cast<LineEnd>((flags >> kLineEndShift) & 3u),
                 origin == kMostOrigins ? kNoOrigin : origin};
  }
  // The length of all website texts together.
  std::size_t website_bytes() const { return text_.size(); }
  // Room for `count` entries holding `text_bytes` bytes of website text in all, to be filled
  // front to back (the load's guess of a file's entries); large room is backed by large pages
  // where the system has them, which saves most of its page faults.
  void reserve(std::size_t count, std::size_t text_bytes = 0);
  // Gives back the memory that such room holds beyond what was filled; the room stays.
  void ReleaseUnusedRoom();

  // Appends a website with the given status and returns its position. A text holding CR, LF or
  // NUL is refused and the list is left as it was: written out, it would add lines of its own.
  // So is one that would take the list's text past kMostWebsiteBytes.
  rir::Result<std::size_t> Append(std::string_view website, Status status = Status::kBlocked);

  // The loader's append: the hosts file store has already split the text into lines. Throws
  // std::length_error past kMostWebsiteBytes, as a full container does.
  void AppendLoaded(std::string_view website, Status status, LineEnd line_end, std::size_t origin) {
    Push(website, status, line_end, origin);
  }
  // The loader's second look at the last entry it appended: an entry written as two lines takes
  // the line end of the second. The list must not be empty.
  void SetLastLoadedLineEnd(LineEnd line_end) {
    std::uint32_t& flags = records_.back().flags;
    const auto bits = static_cast<std::uint32_t>(line_end) << kLineEndShift;
    flags = (flags & ~(3u << kLineEndShift)) | bits;
  }

  // The position of the LAST entry whose website text equals `website` exactly, if any.
  std::optional<std::size_t> FindLast(std::string_view website) const;

  void SetStatus(std::size_t position, Status status);
  void Remove(std::size_t position);
  // Removes the entries at `positions` (ascending) at once, and the selection with them.
  void RemoveAll(const std::vector<std::size_t>& positions);
  void Clear();

  // The single selected entry, as the list control shows it.
  std::optional<std::size_t> selected() const { return selected_; }
  void Select(std::size_t position);
  void ClearSelection() { selected_.reset(); }

  // The menu commands: each does nothing when no entry is selected.
  void SetSelectedStatus(Status status);
  void RemoveSelected();

 private:
  // 8 bytes an entry, so that a list of a million entries costs little more than its text. The
  // texts lie in text_ one after the other in the list's order, without gaps: an entry's text
  // begins where the one before it ends.
  struct Record {
    std::uint32_t text_end;  // where the entry's text ends in text_
    std::uint32_t flags;     // origin << kOriginShift | line end << kLineEndShift | status
  };
  static_assert(sizeof(Record) == 8);
  static constexpr std::uint32_t kStatusBit = 1;
  static constexpr int kLineEndShift = 1;
  static constexpr int kOriginShift = 3;

  std::size_t TextBegin(std::size_t position) const {
    return position == 0 ? 0 : records_[position - 1].text_end;
  }
  std::string_view TextOf(std::size_t position) const {
    const std::size_t begin = TextBegin(position);
    return text_.view().substr(begin, records_[position].text_end - begin);
  }
  void Push(std::string_view website, Status status, LineEnd line_end, std::size_t origin) {
    if (website.size() > kMostWebsiteBytes - text_.size()) {
      TooMuchText();
    }
    const std::size_t kept_origin = origin < kMostOrigins ? origin : kMostOrigins;
    text_.Append(website);
    records_.push_back(Record{static_cast<std::uint32_t>(text_.size()),
                              static_cast<std::uint32_t>(kept_origin << kOriginShift) |
                                  static_cast<std::uint32_t>(line_end) << kLineEndShift |
                                  static_cast<std::uint32_t>(status)});
  }
  [[noreturn]] static void TooMuchText();

  std::vector<Record> records_;
  detail::TextBytes text_;  // every entry's website text, one after the other
  std::optional<std::size_t> selected_;
};

// True when the text can stand as one line of the hosts file.
bool IsSingleLine(std::string_view website);

}  // namespace blocklist
