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
// Kept run k holds the lines that stood before entry line k; the last run holds those after the
// last entry line.
struct HostsLayout {
  std::string kept;                          // the kept lines' bytes, line ends included
  std::vector<std::size_t> run_begin = {0};  // run_begin[k]: where run k starts in `kept`
  LineEnd line_end = PlatformLineEnd();      // the line end that new lines get

  std::size_t entry_lines() const { return run_begin.size() - 1; }
  std::string_view run(std::size_t k) const;
};

namespace detail {
struct HostsLine;
}

// Splits the bytes of a hosts file, given in pieces split anywhere: appends one entry per entry
// line to the list (origin = the entry line's ordinal) and keeps the rest in the layout.
class HostsParser {
 public:
  // `size_hint`: the file's size, if known, so that room is made once.
  HostsParser(BlockList& list, std::size_t size_hint);
  void Feed(std::string_view piece);
  HostsLayout Finish() &&;

 private:
  void Take(const detail::HostsLine& line, std::string_view with_end);

  BlockList& list_;
  HostsLayout layout_;
  std::string pending_;  // a line that the next piece finishes
  bool line_end_found_ = false;
  std::size_t entry_lines_ = 0;
};

// The whole file at once.
HostsLayout ParseHosts(std::string_view bytes, BlockList& list);

// The hosts text for the list as it stands: kept lines and entries in their places, changed
// entries rewritten, removed ones gone, new ones appended after the last line.
std::string BuildHostsText(const HostsLayout& layout, const BlockList& list);

}  // namespace blocklist
