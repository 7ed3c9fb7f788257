#include "hostsfile/hosts_format.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>

#include "rir/large_pages.h"
#include "rir/text.h"

namespace hostsfile {

struct detail::HostsLine {
  std::string_view text;  // without its line end
  blocklist::LineEnd line_end;
  std::size_t size_with_end;
  bool has_nul;
};

namespace {

using Line = detail::HostsLine;

// The first CR, LF or NUL at or after `at`, or `end`. Lines are short and plenty, so one pass
// over the bytes for all three beats a library search for each.
const char* FindSpecial(const char* at, const char* end) {
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i nul = _mm_setzero_si128();
  while (end - at >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)),
                     _mm_cmpeq_epi8(bytes, nul));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) {
      return at + __builtin_ctz(mask);
    }
    at += 16;
  }
#endif
  while (at < end && *at != '\n' && *at != '\r' && *at != '\0') {
    ++at;
  }
  return at;
}

Line NextLine(std::string_view bytes, std::size_t from) {
  const char* const begin = bytes.data() + from;
  const char* const end = bytes.data() + bytes.size();
  bool has_nul = false;
  const char* at = FindSpecial(begin, end);
  while (at < end && *at == '\0') {
    has_nul = true;
    at = FindSpecial(at + 1, end);
  }
  const auto length = static_cast<std::size_t>(at - begin);
  if (at == end) {
    return {{begin, length}, blocklist::LineEnd::kNone, length, has_nul};
  }
  if (*at == '\n') {
    return {{begin, length}, blocklist::LineEnd::kLf, length + 1, has_nul};
  }
  if (at + 1 < end && at[1] == '\n') {
    return {{begin, length}, blocklist::LineEnd::kCrLf, length + 2, has_nul};
  }
  return {{begin, length}, blocklist::LineEnd::kCr, length + 1, has_nul};
}

enum class LineKind : std::uint8_t { kOther, kIpv4, kIpv6 };

LineKind KindOf(const Line& line_read, blocklist::Status& status, std::string_view& website) {
  const std::string_view line = line_read.text;
  if (line_read.has_nul || line.empty()) {
    return LineKind::kOther;  // a text the list could neither show nor take back; leave it alone
  }
  // By the first bytes, which tell the four prefixes apart: most lines of a large file are
  // another program's ("0.0.0.0 name"), and are told after one byte.
  const bool allowed = line.front() == '#';
  const char first = allowed ? (line.size() > 1 ? line[1] : '\0') : line.front();
  std::string_view prefix;
  LineKind kind = LineKind::kOther;
  if (first == '1') {
    prefix = allowed ? kAllowedPrefix : kBlockedPrefix;
    kind = LineKind::kIpv4;
  } else if (first == ':') {
    prefix = allowed ? kAllowedIpv6Prefix : kBlockedIpv6Prefix;
    kind = LineKind::kIpv6;
  }
  if (kind == LineKind::kOther || !line.starts_with(prefix)) {
    return LineKind::kOther;
  }
  status = allowed ? blocklist::Status::kAllowed : blocklist::Status::kBlocked;
  website = EntryName(line.substr(prefix.size()));
  return kind;
}

// The numbers of HostsLayout::runs.
void PutNumber(std::string& out, std::size_t number) {
  while (number >= 0x80) {
    out.push_back(static_cast<char>((number & 0x7F) | 0x80));
    number >>= 7;
  }
  out.push_back(static_cast<char>(number));
}

std::size_t GetNumber(std::string_view in, std::size_t& at) {
  std::size_t number = 0;
  for (int shift = 0; at < in.size(); shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    number |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) {
      break;
    }
  }
  return number;
}

// The layout's runs that are not empty, one after the other.
class RunReader {
 public:
  explicit RunReader(const HostsLayout& layout) : layout_(layout) { ReadNext(); }

  bool more() const { return more_; }
  std::size_t k() const { return k_; }  // the next run's
  std::string_view Take() {
    const std::string_view run = std::string_view(layout_.kept).substr(offset_, size_);
    offset_ += size_;
    ReadNext();
    return run;
  }

 private:
  void ReadNext() {
    more_ = at_ < layout_.runs.size();
    if (more_) {
      k_ += GetNumber(layout_.runs, at_);
      size_ = GetNumber(layout_.runs, at_);
    }
  }

  const HostsLayout& layout_;
  std::size_t at_ = 0;  // in layout_.runs
  std::size_t k_ = 0;
  std::size_t size_ = 0;
  std::size_t offset_ = 0;  // in layout_.kept
  bool more_ = false;
};

std::string_view PrefixFor(blocklist::Status status) {
  return status == blocklist::Status::kAllowed ? kAllowedPrefix : kBlockedPrefix;
}

std::string_view Ipv6PrefixFor(blocklist::Status status) {
  return status == blocklist::Status::kAllowed ? kAllowedIpv6Prefix : kBlockedIpv6Prefix;
}

bool EndsOpen(std::string_view text) {
  return !text.empty() && text.back() != '\n' && text.back() != '\r';
}

// Writes the hosts text into a string whose room is made. The bytes the text is certain to take
// are made at once and written through a pointer, which costs far less than an append per line;
// whatever follows them is appended. A line left without a line end (the file's last line) gets
// one as soon as anything follows it, so that it is not glued to the next line.
class TextWriter {
 public:
  // `open_entry_line_end`: the line end of the IPv4 line of an entry that has none (its IPv6
  // line is the file's last line); the two lines must not be glued either.
  TextWriter(std::string& out, std::size_t certain, blocklist::LineEnd file_line_end,
             blocklist::LineEnd open_entry_line_end)
      : out_(out), line_end_(file_line_end), open_entry_line_end_(open_entry_line_end) {
    out_.resize(certain);
  }

  void Kept(std::string_view run) {
    if (run.empty()) {
      return;
    }
    CloseOpenLine();
    Put(run);
    open_ = EndsOpen(run);
    close_with_ = line_end_;
  }

  // The entry's two lines, the IPv4 line first; both end as the entry does.
  void EntryLines(const blocklist::Entry& entry, blocklist::LineEnd line_end) {
    CloseOpenLine();
    const std::string_view prefix = PrefixFor(entry.status);
    const std::string_view ipv6_prefix = Ipv6PrefixFor(entry.status);
    const std::string_view end = LineEndText(line_end);
    const std::string_view ipv4_end =
        line_end == blocklist::LineEnd::kNone ? LineEndText(open_entry_line_end_) : end;
    const std::string_view website = entry.website;
    const bool alias = TakesAbsoluteAlias(website);
    const std::size_t names = alias ? 2 * website.size() + 2 : website.size();
    const std::size_t size =
        prefix.size() + ipv4_end.size() + ipv6_prefix.size() + end.size() + 2 * names;
    if (!appending_ && out_.size() - cursor_ >= size) {
      char* at = out_.data() + cursor_;
      at += prefix.copy(at, prefix.size());
      at = Names(at, website, alias);
      at += ipv4_end.copy(at, ipv4_end.size());
      at += ipv6_prefix.copy(at, ipv6_prefix.size());
      at = Names(at, website, alias);
      at += end.copy(at, end.size());
      cursor_ = static_cast<std::size_t>(at - out_.data());
    } else {
      const std::string both =
          alias ? std::string(website) + ' ' + std::string(website) + '.' : std::string(website);
      Put(prefix);
      Put(both);
      Put(ipv4_end);
      Put(ipv6_prefix);
      Put(both);
      Put(end);
    }
    open_ = line_end == blocklist::LineEnd::kNone;
    // Should anything follow, the IPv6 line ends as its IPv4 line did, so that the pair reads
    // back with one line end and comes back as it was written.
    close_with_ = open_entry_line_end_;
  }

  void Finish() {
    if (!appending_) {
      out_.resize(cursor_);
    }
  }

 private:
  // The entry's name, and its absolute form after a blank where it takes one.
  static char* Names(char* at, std::string_view website, bool alias) {
    at += website.copy(at, website.size());
    if (alias) {
      *at++ = ' ';
      at += website.copy(at, website.size());
      *at++ = '.';
    }
    return at;
  }

  void Put(std::string_view piece) {
    if (!appending_ && out_.size() - cursor_ >= piece.size()) {
      cursor_ += piece.copy(out_.data() + cursor_, piece.size());
      return;
    }
    if (!appending_) {
      out_.resize(cursor_);
      appending_ = true;
    }
    out_.append(piece);
  }

  void CloseOpenLine() {
    if (open_) {
      Put(LineEndText(close_with_));
      open_ = false;
    }
  }

  std::string& out_;
  blocklist::LineEnd line_end_;
  blocklist::LineEnd open_entry_line_end_;
  std::size_t cursor_ = 0;  // where the next byte goes, while not appending
  bool appending_ = false;
  bool open_ = false;
  blocklist::LineEnd close_with_ =
      blocklist::LineEnd::kNone;  // the line end that the open line gets
};

// Entries from the file keep their places among the kept lines. Nothing can move an entry, so
// their origins rise through the list; one that does not (from another file) counts as new, and
// new entries follow the last line.
void LayOut(const HostsLayout& layout, const blocklist::BlockList& list, std::string& out,
            std::size_t certain) {
  const blocklist::LineEnd open_entry_line_end =
      layout.open_entry_line_end == blocklist::LineEnd::kNone ? layout.line_end
                                                              : layout.open_entry_line_end;
  TextWriter writer(out, certain, layout.line_end, open_entry_line_end);
  const std::size_t entry_lines = layout.entry_lines();
  RunReader runs(layout);
  std::size_t next_run = 0;  // the runs before this one are written
  std::vector<std::size_t> appended;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const blocklist::Entry entry = list[i];
    if (entry.origin == blocklist::kNoOrigin || entry.origin < next_run ||
        entry.origin >= entry_lines) {
      appended.push_back(i);
      continue;
    }
    while (runs.more() && runs.k() <= entry.origin) {
      writer.Kept(runs.Take());
    }
    next_run = entry.origin + 1;
    writer.EntryLines(entry, entry.line_end);
  }
  while (runs.more()) {
    writer.Kept(runs.Take());
  }
  for (const std::size_t i : appended) {
    writer.EntryLines(list[i], layout.line_end);
  }
  writer.Finish();
}

}  // namespace

std::string_view EntryName(std::string_view after_prefix) {
  // " " name "." after the name: the text is twice as long as the name, and two bytes.
  if (after_prefix.size() >= 4 && after_prefix.size() % 2 == 0 && after_prefix.back() == '.') {
    const std::size_t name = (after_prefix.size() - 2) / 2;
    if (after_prefix[name] == ' ' &&
        after_prefix.substr(0, name) == after_prefix.substr(name + 1, name)) {
      return after_prefix.substr(0, name);
    }
  }
  return after_prefix;
}

bool TakesAbsoluteAlias(std::string_view website) {
  // Two searches for one byte each: the library's own, which runs through a name at once.
  const bool host_name = !website.empty() && website.back() != '.' &&
                         website.find(' ') == std::string_view::npos &&
                         website.find('\t') == std::string_view::npos;
  // A text that reads as a name and its alias already would be read back as that name: it is
  // written with an alias of its own, and so read back as itself.
  return host_name || EntryName(website) != website;
}

blocklist::LineEnd PlatformLineEnd() {
#ifdef _WIN32
  return blocklist::LineEnd::kCrLf;
#else
  return blocklist::LineEnd::kLf;
#endif
}

std::string_view LineEndText(blocklist::LineEnd line_end) {
  switch (line_end) {
    case blocklist::LineEnd::kLf:
      return "\n";
    case blocklist::LineEnd::kCr:
      return "\r";
    case blocklist::LineEnd::kCrLf:
      return "\r\n";
    case blocklist::LineEnd::kNone:
      break;
  }
  return {};
}

std::string_view HostsLayout::run(std::size_t k) const {
  for (RunReader reader(*this); reader.more() && reader.k() <= k;) {
    const bool wanted = reader.k() == k;
    const std::string_view text = reader.Take();
    if (wanted) {
      return text;
    }
  }
  return {};
}

HostsParser::HostsParser(blocklist::BlockList& list, std::size_t size_hint) : list_(list) {
  // No entry line is shorter than the shortest prefix, so this is room enough for all of them;
  // capacity that is never touched costs address space, not memory.
  const std::size_t most_entries = size_hint / kBlockedIpv6Prefix.size() + 1;
  list_.reserve(list_.size() + most_entries, list_.website_bytes() + size_hint);
  layout_.kept.reserve(size_hint);
  // Most of a published block list is kept lines, written once, front to back.
  rir::PreferLargePages(layout_.kept.data(), size_hint);
}

// Records the run read since the last entry line, unless it is empty.
void HostsParser::EndRun() {
  if (layout_.kept.size() == run_start_) {
    return;
  }
  PutNumber(layout_.runs, layout_.entry_line_count - last_run_);
  PutNumber(layout_.runs, layout_.kept.size() - run_start_);
  last_run_ = layout_.entry_line_count;
  run_start_ = layout_.kept.size();
}

void HostsParser::Take(const Line& line, std::string_view with_end) {
  if (!line_end_found_ && line.line_end != blocklist::LineEnd::kNone) {
    layout_.line_end = line.line_end;
    line_end_found_ = true;
  }
  blocklist::Status status{};
  std::string_view website;
  const LineKind kind = KindOf(line, status, website);
  const bool partner_wanted = partner_wanted_;
  partner_wanted_ = false;
  if (kind == LineKind::kIpv6 && partner_wanted && TakePartner(line, status, website)) {
    return;
  }
  if (kind != LineKind::kOther &&
      website.size() <= blocklist::kMostWebsiteBytes - list_.website_bytes() &&
      layout_.entry_line_count < blocklist::kMostOrigins) {
    KeepPending();
    EndRun();
    list_.AppendLoaded(website, status, line.line_end, layout_.entry_line_count++);
    partner_wanted_ = kind == LineKind::kIpv4;
    ipv4_line_end_ = line.line_end;
  } else if (pending_kept_.data() + pending_kept_.size() == with_end.data()) {
    // Right after the kept lines before it: copied with them, in one go.
    pending_kept_ = std::string_view(pending_kept_.data(), pending_kept_.size() + with_end.size());
  } else {
    KeepPending();
    pending_kept_ = with_end;
  }
}

void HostsParser::KeepPending() {
  layout_.kept.append(pending_kept_);
  pending_kept_ = {};
}

// The IPv6 line that follows the last entry's IPv4 line at once is the entry's second line when
// status and name agree. The entry takes its line end: both lines are ours, so a pair whose lines
// ended differently (edited by hand) is written back with that one line end on both. Only when the
// IPv6 line is the file's last line and ends in none does its IPv4 line keep its own.
bool HostsParser::TakePartner(const Line& line, blocklist::Status status,
                              std::string_view website) {
  const blocklist::Entry last = list_[list_.size() - 1];
  if (last.status != status || last.website != website) {
    return false;
  }
  list_.SetLastLoadedLineEnd(line.line_end);
  if (line.line_end == blocklist::LineEnd::kNone) {
    layout_.open_entry_line_end = ipv4_line_end_;
  }
  return true;
}

// Flattened: the line splitting and the entry's append are inlined into the loop over a piece's
// lines, which a million-line file runs a million times.
[[gnu::flatten]] void HostsParser::Feed(std::string_view piece) {
  if (piece.empty()) {
    return;
  }
  std::size_t at = 0;
  if (!pending_.empty()) {
    // Finish the line begun in the last piece. A CR that ended it may be half of a CR LF.
    if (pending_.back() == '\r') {
      at = piece.front() == '\n' ? 1 : 0;
    } else {
      const Line first = NextLine(piece, 0);
      const bool unfinished =
          first.line_end == blocklist::LineEnd::kNone ||
          (first.line_end == blocklist::LineEnd::kCr && first.size_with_end == piece.size());
      if (unfinished) {
        pending_.append(piece);
        return;
      }
      at = first.size_with_end;
    }
    pending_.append(piece.substr(0, at));
    Take(NextLine(pending_, 0), pending_);
    KeepPending();  // it lies in pending_, which is cleared
    pending_.clear();
  }
  while (at < piece.size()) {
    const Line line = NextLine(piece, at);
    const bool unfinished =
        line.line_end == blocklist::LineEnd::kNone ||
        (line.line_end == blocklist::LineEnd::kCr && at + line.size_with_end == piece.size());
    if (unfinished) {
      KeepPending();  // the piece is the caller's only until this returns
      pending_.assign(piece.substr(at));
      return;
    }
    Take(line, piece.substr(at, line.size_with_end));
    at += line.size_with_end;
  }
  KeepPending();
}

HostsLayout HostsParser::Finish() && {
  if (!pending_.empty()) {
    Take(NextLine(pending_, 0), pending_);
    KeepPending();
    pending_.clear();
  }
  EndRun();
  // The list and the layout live as long as the window; give back what the guesses above did
  // not use.
  list_.ReleaseUnusedRoom();
  // A copy of tens of megabytes of kept lines costs more than the room it saves, when that room
  // is small: then only the memory of the unwritten room goes back.
  const std::size_t room = layout_.kept.capacity() - layout_.kept.size();
  if (room > layout_.kept.size() / 4) {
    layout_.kept.shrink_to_fit();
  } else {
    rir::ReleaseUnwritten(layout_.kept.data() + layout_.kept.size(), room);
  }
  layout_.runs.shrink_to_fit();
  return std::move(layout_);
}

HostsLayout ParseHosts(std::string_view bytes, blocklist::BlockList& list) {
  HostsParser parser(list, bytes.size());
  parser.Feed(bytes);
  return std::move(parser).Finish();
}

std::string BuildHostsText(const HostsLayout& layout, const blocklist::BlockList& list) {
  // Room for the most the text can take: each entry's name four times (twice on each line, the
  // second time with its blank and dot), its two lines with the longer prefixes and a CR LF on
  // each, and a line end for a last line that had none, should anything follow it. Room that is
  // never written costs address space, not memory. What the text takes when every name has its
  // alias (every kept line, and every entry with the shorter prefixes, a one-byte end on its IPv4
  // line, which always ends, and none on its IPv6 line) is written through a pointer and may take
  // large pages: a text of tens of megabytes then costs a few page faults. The few names without
  // an alias leave some of it over, which is cut off at the end.
  constexpr std::size_t kLeastPerEntry = kBlockedPrefix.size() + 1 + kBlockedIpv6Prefix.size() + 4;
  constexpr std::size_t kMostPerEntry =
      kAllowedPrefix.size() + 2 + kAllowedIpv6Prefix.size() + 2 + 4;
  const std::size_t least =
      layout.kept.size() + 4 * list.website_bytes() + list.size() * kLeastPerEntry;
  std::string text;
  text.reserve(least + list.size() * (kMostPerEntry - kLeastPerEntry) + 2);
  rir::PreferLargePages(text.data(), least);
  LayOut(layout, list, text, least);
  return text;
}

HostsTextBounds HostsTextBoundsOf(const HostsLayout& layout, const blocklist::BlockList& list) {
  constexpr std::size_t kMostPerEntry =
      kAllowedPrefix.size() + 2 + kAllowedIpv6Prefix.size() + 2 + 4;
  const auto kept_lines =
      static_cast<std::size_t>(std::count(layout.kept.begin(), layout.kept.end(), '\n'));
  return {
      .most_bytes = layout.kept.size() + 4 * list.website_bytes() + list.size() * kMostPerEntry + 2,
      .most_lines = kept_lines + 1 + 2 * list.size()};
}

bool BlocksAnyName(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = rir::LineEndAt(text, at);
    const std::string_view line = text.substr(at, end - at);
    if (line.starts_with(kBlockedPrefix) || line.starts_with(kBlockedIpv6Prefix)) {
      return true;
    }
    at = end + 1;
  }
  return false;
}

void ForEachBlockedName(std::string_view text,
                        const std::function<void(std::string_view name)>& blocked) {
  std::string_view ipv4_before;  // the name of the line just before, when it blocked one
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = rir::LineEndAt(text, at);
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    std::string_view ipv4_here;
    if (line.starts_with(kBlockedPrefix)) {
      ipv4_here = EntryName(line.substr(kBlockedPrefix.size()));
      blocked(ipv4_here);
    } else if (line.starts_with(kBlockedIpv6Prefix)) {
      const std::string_view name = EntryName(line.substr(kBlockedIpv6Prefix.size()));
      if (name != ipv4_before) {
        blocked(name);
      }
    } else if (line.empty()) {
      continue;  // the LF of a CR LF
    }
    ipv4_before = ipv4_here;
  }
}

}  // namespace hostsfile
