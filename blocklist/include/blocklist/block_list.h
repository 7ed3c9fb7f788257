// The block list: the websites the user manages, in the order they were read or added.
// Website texts are bytes in the system's 8-bit code page, compared exactly (ordinal,
// case-sensitive).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// One entry as the list holds it. The website text is a view into the list: valid until the list
// next changes.
struct Entry {
  std::string_view website;
  Status status = Status::kBlocked;
  LineEnd line_end = LineEnd::kNone;
  std::size_t origin = kNoOrigin;
};

// Positions are 0-based indices into the list. The website texts share one buffer, so that a
// list of a million entries costs little more than its text.
class BlockList {
 public:
  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  Entry at(std::size_t position) const;  // throws std::out_of_range past the end
  Entry operator[](std::size_t position) const {
    const Record& record = records_[position];
    return Entry{TextOf(record), record.status, record.line_end, record.origin};
  }
  // The length of all website texts together.
  std::size_t website_bytes() const { return text_.size() - garbage_; }
  // Room for `count` entries holding `text_bytes` bytes of website text in all.
  void reserve(std::size_t count, std::size_t text_bytes = 0);

  // Appends a website with the given status and returns its position. A text holding CR, LF or
  // NUL is refused and the list is left as it was: written out, it would add lines of its own.
  rir::Result<std::size_t> Append(std::string_view website, Status status = Status::kBlocked);

  // The loader's append: the hosts file store has already split the text into lines.
  void AppendLoaded(std::string_view website, Status status, LineEnd line_end, std::size_t origin);

  // The position of the LAST entry whose website text equals `website` exactly, if any.
  std::optional<std::size_t> FindLast(std::string_view website) const;

  void SetStatus(std::size_t position, Status status);
  void Remove(std::size_t position);
  void Clear();

  // The single selected entry, as the list control shows it.
  std::optional<std::size_t> selected() const { return selected_; }
  void Select(std::size_t position);
  void ClearSelection() { selected_.reset(); }

  // The menu commands: each does nothing when no entry is selected.
  void SetSelectedStatus(Status status);
  void RemoveSelected();

 private:
  struct Record {
    std::size_t text_offset;
    std::uint32_t text_size;
    Status status;
    LineEnd line_end;
    std::size_t origin;
  };

  std::string_view TextOf(const Record& record) const {
    return std::string_view(text_).substr(record.text_offset, record.text_size);
  }
  void Push(std::string_view website, Status status, LineEnd line_end, std::size_t origin);
  void CompactIfMostlyGarbage();

  std::vector<Record> records_;
  std::string text_;         // every entry's website text, one after the other
  std::size_t garbage_ = 0;  // bytes of text_ that removed entries left behind
  std::optional<std::size_t> selected_;
};

// True when the text can stand as one line of the hosts file.
bool IsSingleLine(std::string_view website);

}  // namespace blocklist
