#include "hostsfile/block_again.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "hostsfile/file_io.h"
#include "hostsfile/finished_file.h"
#include "hostsfile/hosts_format.h"
#include "rir/file_read.h"
#include "rir/text.h"

namespace hostsfile {

namespace {

// Which lines of ours block each name: IPv4 and IPv6, each with its alias where it takes one.
struct Lines {
  bool ipv4 = false;
  bool ipv6 = false;
};

std::unordered_map<std::string, Lines> BlockingLines(std::string_view text) {
  std::unordered_map<std::string, Lines> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = rir::LineEndAt(text, at);
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    for (const auto& [prefix, ipv6] :
         {std::pair{kBlockedPrefix, false}, std::pair{kBlockedIpv6Prefix, true}}) {
      if (!line.starts_with(prefix)) {
        continue;
      }
      const std::string_view names = line.substr(prefix.size());
      const std::string_view name = EntryName(names);
      // As the program writes it: with the alias where the name takes one.
      if (TakesAbsoluteAlias(name) == (name.size() != names.size())) {
        Lines& found = lines[std::string(name)];
        (ipv6 ? found.ipv6 : found.ipv4) = true;
      }
    }
  }
  return lines;
}

// The names of `blocked` that the lines do not block whole, once each.
std::vector<std::string> Lacking(const std::unordered_map<std::string, Lines>& lines,
                                 const std::vector<std::string>& blocked) {
  std::vector<std::string> lacking;
  std::unordered_set<std::string> named;
  for (const std::string& name : blocked) {
    const auto found = lines.find(name);
    const bool whole = found != lines.end() && found->second.ipv4 && found->second.ipv6;
    if (!whole && named.insert(name).second) {
      lacking.push_back(name);
    }
  }
  return lacking;
}

bool EndsOpenAt(std::string_view text) {
  return !text.empty() && text.back() != '\n' && text.back() != '\r';
}

struct Place {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// Where each entry of ours stands in `text`: from the start of its first line to the end of its
// last one, line end included.
std::unordered_map<std::string, Place> EntryPlaces(std::string_view text) {
  std::unordered_map<std::string, Place> places;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(at, end - at);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
      line.remove_suffix(1);
    }
    for (const std::string_view prefix :
         {kBlockedPrefix, kAllowedPrefix, kBlockedIpv6Prefix, kAllowedIpv6Prefix}) {
      if (line.starts_with(prefix)) {
        places.try_emplace(std::string(EntryName(line.substr(prefix.size()))), Place{at, end})
            .first->second.end = end;
        break;
      }
    }
    at = end;
  }
  return places;
}

// Puts each of `missing` back where it stood in the last Apply's order: after the nearest blocked
// entry before it that the file still holds, else before the nearest one after it; with neither
// left, its place is gone, and it follows the file's last line.
std::string PutBackInPlace(const std::string& text, const std::vector<std::string>& blocked,
                           const std::unordered_set<std::string>& missing,
                           blocklist::LineEnd line_end) {
  const auto places = EntryPlaces(text);
  auto place_of = [&](std::size_t i) -> std::optional<std::size_t> {
    for (std::size_t before = i; before-- > 0;) {
      if (const auto found = places.find(blocked[before]); found != places.end()) {
        return found->second.end;
      }
    }
    for (std::size_t after = i + 1; after < blocked.size(); ++after) {
      if (const auto found = places.find(blocked[after]); found != places.end()) {
        return found->second.begin;
      }
    }
    return std::nullopt;
  };
  std::vector<std::pair<std::size_t, std::string>> insertions;  // in the order of `blocked`
  std::unordered_set<std::string> done;
  for (std::size_t i = 0; i < blocked.size(); ++i) {
    if (!missing.contains(blocked[i]) || !done.insert(blocked[i]).second) {
      continue;
    }
    blocklist::BlockList one;
    if (!one.Append(blocked[i], blocklist::Status::kBlocked)) {
      continue;
    }
    HostsLayout layout;
    layout.line_end = line_end;
    insertions.emplace_back(place_of(i).value_or(text.size()), BuildHostsText(layout, one));
  }
  std::stable_sort(insertions.begin(), insertions.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  // Room for all of it at once: a file of millions of lines must not be copied again halfway.
  std::size_t size = text.size();
  for (const auto& inserted : insertions) {
    size += LineEndText(line_end).size() + inserted.second.size();
  }
  std::string out;
  out.reserve(size);
  std::size_t copied = 0;
  for (const auto& [at, lines] : insertions) {
    out.append(text, copied, at - copied);
    copied = at;
    if (EndsOpenAt(out)) {
      out.append(LineEndText(line_end));
    }
    out.append(lines);
  }
  out.append(text, copied);
  return out;
}

}  // namespace

std::optional<Reblocked> BlockAgain(std::string_view text,
                                    const std::vector<std::string>& blocked) {
  const auto lines = BlockingLines(text);
  const bool all_there = std::all_of(blocked.begin(), blocked.end(), [&](const std::string& name) {
    const auto found = lines.find(name);
    return found != lines.end() && found->second.ipv4 && found->second.ipv6;
  });
  if (all_there) {
    return std::nullopt;
  }
  Reblocked result;
  blocklist::BlockList list;
  const HostsLayout layout = ParseHosts(text, list);
  std::unordered_set<std::string> wanted(blocked.begin(), blocked.end());
  std::unordered_set<std::string> held;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const blocklist::Entry entry = list[i];
    const std::string name(entry.website);
    if (!wanted.contains(name)) {
      continue;
    }
    held.insert(name);
    if (entry.status == blocklist::Status::kAllowed) {
      list.SetStatus(i, blocklist::Status::kBlocked);
      ++result.allowed;
    } else if (const auto found = lines.find(name);
               found == lines.end() || !found->second.ipv4 || !found->second.ipv6) {
      ++result.partial;  // rebuilt, it gets both lines and its alias again
    }
  }
  std::unordered_set<std::string> missing;
  for (const std::string& name : blocked) {
    if (!held.contains(name) && missing.insert(name).second) {
      ++result.removed;
    }
  }
  result.names = Lacking(lines, blocked);
  result.text = BuildHostsText(layout, list);
  if (!missing.empty()) {
    result.text = PutBackInPlace(result.text, blocked, missing, layout.line_end);
  }
  return result;
}

std::vector<std::string> BlockedNames(std::string_view text) {
  std::vector<std::string> names;
  ForEachBlockedName(text, [&names](std::string_view name) { names.emplace_back(name); });
  return names;
}

namespace {

struct SteadyText {
  FileStamp stamp;
  std::string text;
};

rir::Error StillBeingWritten(const std::string& path) {
  return rir::Error{rir::ErrorCode::kStillBeingWritten, path, {}};
}

// The file's text, read while its stamp stood still.
rir::Result<SteadyText> ReadSteady(const std::string& path) {
  auto before = StampOf(path);
  if (!before) {
    return before.error();
  }
  SteadyText read{*before, {}};
  auto whole = rir::ReadFileInPieces(
      path, [&](std::string_view piece, std::size_t) { read.text.append(piece); });
  if (!whole) {
    return whole.error();
  }
  if (auto now = StampOf(path); !now || *now != *before) {
    return now ? StillBeingWritten(path) : now.error();
  }
  return read;
}

// Whether the text read is the file as another program finished it, and still stands: asked
// only of a text that lacks blocks, since a text that holds them all needs nothing written, and
// a change to it later is a change of its own.
rir::Result<void> StillFinished(const std::string& path, const FileStamp& read) {
  if (auto finished = CheckFinished(path); !finished) {
    return finished.error();
  }
  if (auto now = StampOf(path); !now || *now != read) {
    return now ? StillBeingWritten(path) : now.error();
  }
  return {};
}

}  // namespace

rir::Result<JudgedFile> JudgeHostsFile(const std::string& path,
                                       const std::vector<std::string>& blocked) {
  // Asked first as well: a writer's every part would otherwise have the whole file read, which a
  // file of a million lines makes slower than the writer itself.
  if (auto finished = CheckFinished(path); !finished) {
    return finished.error();
  }
  auto read = ReadSteady(path);
  if (!read) {
    return read.error();
  }
  // Which are lacking, without the text that would put them back: the writer builds that.
  JudgedFile judged{read->stamp, Lacking(BlockingLines(read->text), blocked)};
  if (!judged.lacking.empty()) {
    if (auto finished = StillFinished(path, read->stamp); !finished) {
      return finished.error();
    }
  }
  return judged;
}

rir::Result<std::optional<BlockedAgain>> BlockAgainInFile(const std::string& path,
                                                          const std::vector<std::string>& blocked,
                                                          const KeepPreviousText& keep) {
  auto read = ReadSteady(path);
  if (!read) {
    return read.error();
  }
  auto again = BlockAgain(read->text, blocked);
  if (!again) {
    return std::optional<BlockedAgain>();
  }
  // Just before the write: a program that is writing the file, or began to since it was read,
  // would lose its text to ours.
  if (auto finished = StillFinished(path, read->stamp); !finished) {
    return finished.error();
  }
  // And once more right before the rename: the text was made from the file with that stamp.
  auto saved = ReplaceHostsFile(path, again->text, keep, SaveChecks{read->stamp, {}});
  if (!saved) {
    return saved.error().code == rir::ErrorCode::kChangedSinceLoad ? StillBeingWritten(path)
                                                                   : saved.error();
  }
  return std::optional<BlockedAgain>(BlockedAgain{again->removed, again->allowed, again->partial,
                                                  *saved, std::move(again->names)});
}

}  // namespace hostsfile
