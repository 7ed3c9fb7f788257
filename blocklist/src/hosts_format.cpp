#include "blocklist/hosts_format.h"

#include <cstring>

namespace blocklist {

namespace {

struct Line {
  std::string_view text;  // without its line end
  LineEnd line_end;
  std::size_t size_with_end;
};

Line NextLine(std::string_view bytes, std::size_t from) {
  const char* begin = bytes.data() + from;
  const std::size_t rest = bytes.size() - from;
  const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', rest));
  const std::size_t lf_at = lf ? static_cast<std::size_t>(lf - begin) : rest;
  const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', lf_at));
  if (cr) {
    const auto cr_at = static_cast<std::size_t>(cr - begin);
    if (lf && cr_at + 1 == lf_at) {
      return {{begin, cr_at}, LineEnd::kCrLf, cr_at + 2};
    }
    return {{begin, cr_at}, LineEnd::kCr, cr_at + 1};
  }
  if (lf) {
    return {{begin, lf_at}, LineEnd::kLf, lf_at + 1};
  }
  return {{begin, rest}, LineEnd::kNone, rest};
}

bool IsEntryLine(std::string_view line, Status& status, std::string_view& website) {
  if (line.find('\0') != std::string_view::npos) {
    return false;  // a text the list could neither show nor take back; leave the line alone
  }
  if (line.substr(0, kBlockedPrefix.size()) == kBlockedPrefix) {
    status = Status::kBlocked;
    website = line.substr(kBlockedPrefix.size());
    return true;
  }
  if (line.substr(0, kAllowedPrefix.size()) == kAllowedPrefix) {
    status = Status::kAllowed;
    website = line.substr(kAllowedPrefix.size());
    return true;
  }
  return false;
}

std::string_view PrefixFor(Status status) {
  return status == Status::kAllowed ? kAllowedPrefix : kBlockedPrefix;
}

bool EndsOpen(std::string_view text) {
  return !text.empty() && text.back() != '\n' && text.back() != '\r';
}

// Appends pieces to the hosts text; a line left without a line end (the file's last line) gets
// one as soon as anything follows it, so that it is not glued to the next line.
class TextWriter {
 public:
  TextWriter(std::string& out, LineEnd file_line_end) : out_(out), line_end_(file_line_end) {}

  void Kept(std::string_view run) {
    if (run.empty()) {
      return;
    }
    CloseOpenLine();
    out_ += run;
    open_ = EndsOpen(run);
  }

  void EntryLine(const Entry& entry, LineEnd line_end) {
    CloseOpenLine();
    out_ += PrefixFor(entry.status);
    out_ += entry.website;
    out_ += LineEndText(line_end);
    open_ = line_end == LineEnd::kNone;
  }

 private:
  void CloseOpenLine() {
    if (open_) {
      out_ += LineEndText(line_end_);
      open_ = false;
    }
  }

  std::string& out_;
  LineEnd line_end_;
  bool open_ = false;
};

}  // namespace

LineEnd PlatformLineEnd() {
#ifdef _WIN32
  return LineEnd::kCrLf;
#else
  return LineEnd::kLf;
#endif
}

std::string_view LineEndText(LineEnd line_end) {
  switch (line_end) {
    case LineEnd::kLf:
      return "\n";
    case LineEnd::kCr:
      return "\r";
    case LineEnd::kCrLf:
      return "\r\n";
    case LineEnd::kNone:
      break;
  }
  return {};
}

std::string_view HostsLayout::run(std::size_t k) const {
  const std::size_t end = k + 1 < run_begin.size() ? run_begin[k + 1] : kept.size();
  return std::string_view(kept).substr(run_begin[k], end - run_begin[k]);
}

HostsLayout ParseHosts(std::string_view bytes, BlockList& list) {
  HostsLayout layout;
  bool line_end_found = false;
  std::size_t entry_lines = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const Line line = NextLine(bytes, at);
    if (!line_end_found && line.line_end != LineEnd::kNone) {
      layout.line_end = line.line_end;
      line_end_found = true;
    }
    Status status{};
    std::string_view website;
    if (IsEntryLine(line.text, status, website)) {
      list.AppendLoaded(std::string(website), status, line.line_end, entry_lines++);
      layout.run_begin.push_back(layout.kept.size());
    } else {
      layout.kept.append(bytes.substr(at, line.size_with_end));
    }
    at += line.size_with_end;
  }
  layout.kept.shrink_to_fit();
  layout.run_begin.shrink_to_fit();
  return layout;
}

std::string BuildHostsText(const HostsLayout& layout, const BlockList& list) {
  std::size_t size = layout.kept.size();
  for (const Entry& entry : list.entries()) {
    size += kAllowedPrefix.size() + entry.website.size() + 2;
  }
  std::string out;
  out.reserve(size + 2);
  TextWriter writer(out, layout.line_end);

  // Entries from the file keep their places among the kept lines. Nothing can move an entry, so
  // their origins rise through the list; one that does not (from another file) counts as new.
  const std::size_t runs = layout.run_begin.size();
  std::size_t next_run = 0;
  std::vector<const Entry*> appended;
  for (const Entry& entry : list.entries()) {
    if (entry.origin == kNoOrigin || entry.origin < next_run || entry.origin + 1 >= runs) {
      appended.push_back(&entry);
      continue;
    }
    while (next_run <= entry.origin) {
      writer.Kept(layout.run(next_run++));
    }
    writer.EntryLine(entry, entry.line_end);
  }
  while (next_run < runs) {
    writer.Kept(layout.run(next_run++));
  }
  for (const Entry* entry : appended) {
    writer.EntryLine(*entry, layout.line_end);
  }
  return out;
}

}  // namespace blocklist
