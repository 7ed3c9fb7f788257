#include "hosts_facts.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <unordered_map>

#include "addresses.h"
#include "hostsfile/hosts_format.h"
#include "rir/file_read.h"

namespace blockcheck::detail {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasUpper(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The next word of `line` from `at` on, before any '#'; empty at the end.
std::string_view NextWord(std::string_view line, std::size_t& at) {
  while (at < line.size() && IsBlank(line[at])) {
    ++at;
  }
  const std::size_t start = at;
  while (at < line.size() && !IsBlank(line[at]) && line[at] != '#') {
    ++at;
  }
  if (at < line.size() && line[at] == '#') {
    at = line.size();
  }
  return line.substr(start, at - start);
}

// The line of ours for a name: "127.0.0.1 \tname" or "::1 \tname" (with the name's absolute form
// after it, or not), either after '#' too.
std::optional<std::string_view> OwnLineName(std::string_view line) {
  for (const std::string_view prefix :
       {hostsfile::kBlockedPrefix, hostsfile::kAllowedPrefix, hostsfile::kBlockedIpv6Prefix,
        hostsfile::kAllowedIpv6Prefix}) {
    if (line.starts_with(prefix)) {
      return hostsfile::EntryName(line.substr(prefix.size()));
    }
  }
  return std::nullopt;
}

// The names checked, by their lower-case form: their hashes sorted, 16 bytes a name, since a
// check may be given a million. Most names are lower case already and are compared where they lie.
class NameIndex {
 public:
  explicit NameIndex(const std::vector<std::string>& names) : names_(names) {
    entries_.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (HasUpper(names[i])) {
        lowered_.emplace(i, Lowered(names[i]));
      }
      entries_.push_back({Hash(Key(i)), static_cast<std::uint32_t>(i)});
    }
    // By hash, then by place: the first place of a name given twice comes first.
    std::sort(entries_.begin(), entries_.end());
  }
  // The first place of the name `word` names, whatever its case; npos when none.
  std::size_t Find(std::string_view word) {
    if (HasUpper(word)) {
      scratch_ = Lowered(word);
      word = scratch_;
    }
    const std::uint64_t hash = Hash(word);
    auto at = std::lower_bound(entries_.begin(), entries_.end(), Entry{hash, 0});
    for (; at != entries_.end() && at->hash == hash; ++at) {
      if (Key(at->place) == word) {
        return at->place;
      }
    }
    return std::string_view::npos;
  }

 private:
  struct Entry {
    std::uint64_t hash;
    std::uint32_t place;
    bool operator<(const Entry& other) const {
      return hash != other.hash ? hash < other.hash : place < other.place;
    }
  };
  std::string_view Key(std::size_t place) const {
    if (const auto found = lowered_.find(place); found != lowered_.end()) {
      return found->second;
    }
    return names_[place];
  }
  static std::uint64_t Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }
  static std::string Lowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    return lower;
  }
  const std::vector<std::string>& names_;
  std::unordered_map<std::size_t, std::string> lowered_;  // the few names not in lower case
  std::vector<Entry> entries_;
  std::string scratch_;
};

class FactsReader {
 public:
  FactsReader(const std::vector<std::string>& names, HostsFacts& facts)
      : index_(names), facts_(facts) {
    facts_.names.resize(names.size());
  }

  void Feed(std::string_view piece) {
    while (!piece.empty()) {
      const std::size_t end = piece.find('\n');
      if (end == std::string_view::npos) {
        pending_.append(piece);
        return;
      }
      if (pending_.empty()) {
        Line(piece.substr(0, end));
      } else {
        pending_.append(piece.substr(0, end));
        Line(pending_);
        pending_.clear();
      }
      piece.remove_prefix(end + 1);
    }
  }
  void Finish() {
    if (!pending_.empty()) {
      Line(pending_);
    }
  }
  NameIndex& index() { return index_; }

 private:
  void Line(std::string_view line) {
    const std::size_t number = number_++;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (const auto own = OwnLineName(line)) {
      if (const std::size_t place = index_.Find(*own); place != std::string_view::npos) {
        NameFacts& name = facts_.names[place];
        name.first_own_line = std::min(name.first_own_line, static_cast<std::uint32_t>(number));
      }
    }
    std::size_t at = 0;
    const std::string_view first = NextWord(line, at);
    if (first.empty() || at >= line.size()) {
      return;
    }
    const auto address = ParseAddress(first);
    if (!address) {
      return;
    }
    const std::size_t family = FamilyIndex(address->family);
    const bool blocks = Blocks(*address);
    for (std::string_view word = NextWord(line, at); !word.empty(); word = NextWord(line, at)) {
      const std::size_t place = index_.Find(word);
      if (place == std::string_view::npos) {
        continue;
      }
      NameFacts& name = facts_.names[place];
      if (blocks) {
        name.blocked[family] = true;
      } else if (name.first_own_line == kNoOwnLine && !name.earlier_elsewhere[family]) {
        name.earlier_elsewhere[family] = true;
        name.earlier_line[family] = static_cast<std::uint32_t>(number + 1);
        name.earlier_address[family] = AddressPlace(first);
      }
    }
  }

  std::uint32_t AddressPlace(std::string_view address) {
    const auto found = addresses_.find(std::string(address));
    if (found != addresses_.end()) {
      return found->second;
    }
    facts_.addresses.emplace_back(address);
    const auto place = static_cast<std::uint32_t>(facts_.addresses.size() - 1);
    addresses_.emplace(std::string(address), place);
    return place;
  }

  NameIndex index_;
  HostsFacts& facts_;
  std::string pending_;  // a line that the next piece finishes
  std::size_t number_ = 0;
  std::unordered_map<std::string, std::uint32_t> addresses_;
};

}  // namespace

HostsFacts ReadHostsFacts(const std::string& path, const std::vector<std::string>& names) {
  HostsFacts facts;
  FactsReader reader(names, facts);
  const auto read = rir::ReadFileInPieces(path, [&](std::string_view piece, std::size_t size) {
    facts.bytes = size;
    reader.Feed(piece);
  });
  reader.Finish();
  facts.read = read && *read;
  // Each name given twice shares what was found for its first place.
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::size_t first = reader.index().Find(names[i]);
    if (first != i && first != std::string_view::npos) {
      facts.names[i] = facts.names[first];
    }
  }
  return facts;
}

bool FilesComeFirst(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::size_t at = 0;
    const std::string_view view(line);
    if (NextWord(view, at) == "hosts:") {
      return NextWord(view, at) == "files";
    }
  }
  return false;
}

}  // namespace blockcheck::detail
