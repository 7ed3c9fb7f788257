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

struct Entry {
  std::string website;
  Status status = Status::kBlocked;
  LineEnd line_end = LineEnd::kNone;
  std::size_t origin = kNoOrigin;
};

// Positions are 0-based indices into the list.
class BlockList {
 public:
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const Entry& at(std::size_t position) const { return entries_.at(position); }
  const std::vector<Entry>& entries() const { return entries_; }
  void reserve(std::size_t count) { entries_.reserve(count); }

  // Appends a website with the given status and returns its position. A text holding CR, LF or
  // NUL is refused and the list is left as it was: written out, it would add lines of its own.
  rir::Result<std::size_t> Append(std::string website, Status status = Status::kBlocked);

  // The loader's append: the hosts file store has already split the text into lines.
  void AppendLoaded(std::string website, Status status, LineEnd line_end, std::size_t origin);

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
  std::vector<Entry> entries_;
  std::optional<std::size_t> selected_;
};

// True when the text can stand as one line of the hosts file.
bool IsSingleLine(std::string_view website);

}  // namespace blocklist
