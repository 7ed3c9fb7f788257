// The hosts file as text: which lines are the program's entries, and how the text is rebuilt.
//
// A line is ours when it begins with exactly "127.0.0.1 " and a TAB (blocked) or "#127.0.0.1 " and
// a TAB (allowed): the form this program has always written. Every other line (comments, other
// addresses, mappings the system relies on) belongs to somebody else and is written back byte for
// byte, in its place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"

namespace blocklist {

inline constexpr std::string_view kBlockedPrefix = "127.0.0.1 \t";
inline constexpr std::string_view kAllowedPrefix = "#127.0.0.1 \t";

// The line end that new lines get when the file shows none of its own.
LineEnd PlatformLineEnd();
std::string_view LineEndText(LineEnd line_end);

// What a hosts file holds besides the block list: the lines we did not write, kept in order.
// Kept run k holds the lines that stood before entry line k; run entry_lines() holds those after
// the last entry line. Most runs of a large block list are empty, so only the others are
// recorded.
struct HostsLayout {
  std::string kept;  // the kept lines' bytes, line ends included
  // The runs that are not empty, in order, as pairs of numbers: how far its k lies past the k of
  // the run before it (the first: past 0), and its length in `kept`. Each number is written 7 bits
  // a byte, lowest first, with the high bit set in every byte but its last.
  std::string runs;
  std::size_t entry_line_count = 0;
  LineEnd line_end = PlatformLineEnd();  // the line end that new lines get

  std::size_t entry_lines() const { return entry_line_count; }
  std::string_view run(std::size_t k) const;  // walks the runs: for tests, not for loops
  bool operator==(const HostsLayout&) const = default;
};

namespace detail {
struct HostsLine;
}

// Splits the bytes of a hosts file, given in pieces split anywhere: appends one entry per entry
// line to the list (origin = the entry line's ordinal) and keeps the rest in the layout. Entry
// lines past the list's limits (kMostWebsiteBytes of website text, kMostOrigins entry lines:
// files of several GiB) are kept as other lines: written back unchanged, but not in the list.
class HostsParser {
 public:
  // `size_hint`: the file's size, if known, so that room is made once.
  HostsParser(BlockList& list, std::size_t size_hint);
  void Feed(std::string_view piece);
  HostsLayout Finish() &&;

 private:
  void Take(const detail::HostsLine& line, std::string_view with_end);
  void EndRun();

  BlockList& list_;
  HostsLayout layout_;
  std::string pending_;  // a line that the next piece finishes
  bool line_end_found_ = false;
  std::size_t run_start_ = 0;  // where the run being read starts in layout_.kept
  std::size_t last_run_ = 0;   // the k of the last run recorded
};

// The whole file at once.
HostsLayout ParseHosts(std::string_view bytes, BlockList& list);

// The hosts text for the list as it stands: kept lines and entries in their places, changed
// entries rewritten, removed ones gone, new ones appended after the last line.
std::string BuildHostsText(const HostsLayout& layout, const BlockList& list);

}  // namespace blocklist
