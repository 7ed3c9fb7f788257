// The hosts file as text: which lines are the program's entries, and how the text is rebuilt.
//
// An entry is written as two lines with one line end: "127.0.0.1 " TAB name " " name "." and
// "::1 " TAB name " " name "." (blocked), or the same two after a "#" (allowed). The IPv6 line is
// there because a resolver asked for a name's IPv6 address passes over a name that the hosts
// file maps to 127.0.0.1 alone, and takes the real address from DNS. The second name on each line,
// the name with a trailing dot, is there because resolvers and browsers take "name." for a name of
// its own, which a line for "name" does not answer: one typed dot would get past the block. As an
// alias on the same lines it costs no lines (Windows' DNS Client slows with their number). A name
// that ends in a dot already, or holds a blank, gets no alias (unless it reads as a name and its
// alias itself, which the alias keeps from being read as that shorter name).
//
// A line is ours when it begins with exactly one of those four prefixes; the alias is optional
// when read, so a file written before it reads the same and gains it at the next Apply. An IPv4
// line followed at once by an IPv6 line with the same status and the same name is one entry;
// either line alone (as files written before the IPv6 lines were, or a file edited by hand) is an
// entry of its own, and gains its partner at the next Apply. Every other line (comments, other
// addresses, "::1 localhost" and the other mappings the system relies on) belongs to somebody
// else and is written back byte for byte, in its place.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"

namespace hostsfile {

inline constexpr std::string_view kBlockedPrefix = "127.0.0.1 \t";
inline constexpr std::string_view kAllowedPrefix = "#127.0.0.1 \t";
inline constexpr std::string_view kBlockedIpv6Prefix = "::1 \t";
inline constexpr std::string_view kAllowedIpv6Prefix = "#::1 \t";

// The name that an entry line names, given the text after its prefix: that text without the
// alias of the name's absolute form (" " name "."), where it ends so.
std::string_view EntryName(std::string_view after_prefix);
// Whether `website` is written with that alias.
bool TakesAbsoluteAlias(std::string_view website);

// Calls `blocked` with the name of each entry that `text` holds uncommented, in its order, an
// IPv4 line and the IPv6 line for the same name right after it counting once. It reads the text
// as it goes and keeps nothing of it, however long it is.
void ForEachBlockedName(std::string_view text,
                        const std::function<void(std::string_view name)>& blocked);

// Whether `text` holds any entry uncommented; it stops at the first.
bool BlocksAnyName(std::string_view text);

// The line end that new lines get when the file shows none of its own.
blocklist::LineEnd PlatformLineEnd();
std::string_view LineEndText(blocklist::LineEnd line_end);

// What a hosts file holds besides the block list: the lines we did not write, kept in order.
// Kept run k holds the lines that stood before entry k (the k-th entry line or pair of lines); run
// entry_lines() holds those after the last entry. Most runs of a large block list are empty, so
// only the others are recorded.
struct HostsLayout {
  std::string kept;  // the kept lines' bytes, line ends included
  // The runs that are not empty, in order, as pairs of numbers: how far its k lies past the k of
  // the run before it (the first: past 0), and its length in `kept`. Each number is written 7 bits
  // a byte, lowest first, with the high bit set in every byte but its last.
  std::string runs;
  std::size_t entry_line_count = 0;
  blocklist::LineEnd line_end = PlatformLineEnd();  // the line end that new lines get
  // The line end of the IPv4 line of an entry whose IPv6 line is the file's last line and has
  // none, as it was read; kNone: there is no such entry, and such a line takes `line_end`. Kept
  // so that the file comes back as it was even when its first line end is another one.
  blocklist::LineEnd open_entry_line_end = blocklist::LineEnd::kNone;

  std::size_t entry_lines() const { return entry_line_count; }
  std::string_view run(std::size_t k) const;  // walks the runs: for tests, not for loops
  bool operator==(const HostsLayout&) const = default;
};

namespace detail {
struct HostsLine;
}

// Splits the bytes of a hosts file, given in pieces split anywhere: appends one entry per entry
// (a pair of lines or a line alone; origin = the entry's ordinal among them) and keeps the rest in
// the layout. Entry lines past the list's limits (kMostWebsiteBytes of website text, kMostOrigins
// entry lines: files of several GiB) are kept as other lines: written back unchanged, but not in
// the list.
class HostsParser {
 public:
  // `size_hint`: the file's size, if known, so that room is made once.
  HostsParser(blocklist::BlockList& list, std::size_t size_hint);
  void Feed(std::string_view piece);
  HostsLayout Finish() &&;

 private:
  void Take(const detail::HostsLine& line, std::string_view with_end);
  bool TakePartner(const detail::HostsLine& line, blocklist::Status status,
                   std::string_view website);
  void EndRun();
  void KeepPending();  // appends pending_kept_ to the layout's kept lines

  blocklist::BlockList& list_;
  HostsLayout layout_;
  std::string pending_;  // a line that the next piece finishes
  // Kept lines read in the piece at hand and not yet copied: adjacent ones are copied at once.
  std::string_view pending_kept_;
  bool line_end_found_ = false;
  std::size_t run_start_ = 0;  // where the run being read starts in layout_.kept
  std::size_t last_run_ = 0;   // the k of the last run recorded

  // The last line read was an IPv4 entry line, the list's last entry: an IPv6 line of the same
  // status and name that follows at once is its partner.
  bool partner_wanted_ = false;
  blocklist::LineEnd ipv4_line_end_ = blocklist::LineEnd::kNone;  // that IPv4 line's own line end
};

// The whole file at once.
HostsLayout ParseHosts(std::string_view bytes, blocklist::BlockList& list);

// The hosts text for the list as it stands: kept lines and entries in their places, changed
// entries rewritten, removed ones gone, new ones appended after the last line. Every entry is
// written as its pair of lines.
std::string BuildHostsText(const HostsLayout& layout, const blocklist::BlockList& list);

// The most a text built from `layout` and a list can hold, known from their sizes alone.
struct HostsTextBounds {
  std::size_t most_bytes = 0;
  std::size_t most_lines = 0;
};
HostsTextBounds HostsTextBoundsOf(const HostsLayout& layout, const blocklist::BlockList& list);

}  // namespace hostsfile
