#include "blocklist/name_import.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "blocklist/host_name.h"
#include "rir/text.h"

namespace blocklist {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::size_t kShownLineBytes = 60;
constexpr std::size_t kLinesBetweenLooks = 4096;

// Names that mean this machine in every hosts file, published ones included.
constexpr std::array<std::string_view, 12> kLocalNames = {
    "localhost",     "localhost.localdomain", "local",           "localdomain",
    "broadcasthost", "ip6-localhost",         "ip6-loopback",    "ip6-localnet",
    "ip6-allnodes",  "ip6-allrouters",        "ip6-mcastprefix", "ip6-allhosts",
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A name as the list compares it: its case and a final dot aside.
std::string_view WithoutFinalDot(std::string_view name) {
  return name.ends_with('.') ? name.substr(0, name.size() - 1) : name;
}

bool SameName(std::string_view a, std::string_view b) {
  a = WithoutFinalDot(a);
  b = WithoutFinalDot(b);
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::uint32_t HashOf(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (const char c : WithoutFinalDot(name)) {
    hash = (hash ^ static_cast<unsigned char>(Lower(c))) * 16777619u;
  }
  return hash;
}

// The names of the list and of the import, each once: an open-addressed table of positions, so
// that a million names cost 8 bytes each and no copy of their text.
class NameSet {
 public:
  NameSet(const BlockList& list, const BlockList& imported) : list_(list), imported_(imported) {}

  void Reserve(std::size_t count) {
    std::size_t slots = 64;
    while (slots < count * 2) {
      slots *= 2;
    }
    if (slots > slots_.size()) {
      Rehash(slots);
    }
  }

  // Where `name` is: in the list, among the imported names, or nowhere yet.
  enum class Found { kNowhere, kInList, kImported };
  Found Find(std::string_view name) const {
    const std::uint32_t hash = HashOf(name);
    for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[at];
      if (slot.ref == 0) {
        return Found::kNowhere;
      }
      if (slot.hash == hash && SameName(NameOf(slot.ref), name)) {
        return (slot.ref & kImportedBit) != 0 ? Found::kImported : Found::kInList;
      }
    }
  }

  void AddListed(std::size_t position) { Add(static_cast<std::uint32_t>(position + 1)); }
  void AddImported(std::size_t position) {
    Add(static_cast<std::uint32_t>(position + 1) | kImportedBit);
  }

 private:
  static constexpr std::uint32_t kImportedBit = 0x8000'0000u;
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t ref = 0;  // position + 1, kImportedBit for an imported name; 0: empty
  };

  std::string_view NameOf(std::uint32_t ref) const {
    const std::size_t position = (ref & ~kImportedBit) - 1;
    return (ref & kImportedBit) != 0 ? imported_[position].website : list_[position].website;
  }

  void Add(std::uint32_t ref) {
    if ((count_ + 1) * 2 > slots_.size()) {
      Rehash(std::max<std::size_t>(64, slots_.size() * 2));
    }
    Place(Slot{HashOf(NameOf(ref)), ref});
    ++count_;
  }

  void Place(Slot slot) {
    std::size_t at = slot.hash & (slots_.size() - 1);
    while (slots_[at].ref != 0) {
      at = (at + 1) & (slots_.size() - 1);
    }
    slots_[at] = slot;
  }

  void Rehash(std::size_t slots) {
    std::vector<Slot> old(slots, Slot{});
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.ref != 0) {
        Place(slot);
      }
    }
  }

  const BlockList& list_;
  const BlockList& imported_;
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > text.size()) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += length;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Windows' editors save "Unicode" as UTF-16 with a byte order mark: read as UTF-8, every other
// byte would be a NUL.
std::string FromUtf16(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 2);
  const auto unit = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[at + 1])) << 8;
  };
  for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
    std::uint32_t code = unit(at);
    if (code >= 0xD800 && code < 0xDC00 && at + 3 < text.size()) {
      const std::uint32_t low = unit(at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    AppendUtf8(out, code);
  }
  return out;
}

// An IPv4 or IPv6 address, as a hosts line begins with: never a name.
bool IsAddress(std::string_view word) {
  if (word.find(':') != std::string_view::npos) {
    word = word.substr(0, word.find('%'));  // an IPv6 zone, "fe80::1%lo0"
    return std::all_of(word.begin(), word.end(), [](char c) {
      return (c >= '0' && c <= '9') || (Lower(c) >= 'a' && Lower(c) <= 'f') || c == ':' || c == '.';
    });
  }
  return word.find('.') != std::string_view::npos &&
         std::all_of(word.begin(), word.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool IsOwnName(std::string_view name, const std::vector<std::string>& own_names) {
  return std::find(kLocalNames.begin(), kLocalNames.end(), name) != kLocalNames.end() ||
         name.ends_with(".localhost") ||
         std::find(own_names.begin(), own_names.end(), name) != own_names.end();
}

bool IsGap(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\v' || c == '\f';
}

// Byte by byte: find_first_of would look for each of the gaps at every byte in turn.
std::vector<std::string_view> WordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsGap(line[at])) {
      ++at;
    }
    const std::size_t begin = at;
    while (at < line.size() && !IsGap(line[at])) {
      ++at;
    }
    if (at > begin) {
      words.push_back(line.substr(begin, at - begin));
    }
  }
  return words;
}

// The start of a line as a summary quotes it, not cut inside a letter.
std::string Shortened(std::string_view line) {
  if (line.size() <= kShownLineBytes) {
    return std::string(line);
  }
  std::size_t cut = kShownLineBytes;
  while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  return std::string(line.substr(0, cut)) + "...";
}

}  // namespace

// The names of a text's lines, one line at a time, against the list they go into.
class Importer {
 public:
  Importer(const BlockList& list, const std::vector<std::string>& own_names)
      : own_names_(own_names), names_(list, result_.names) {
    names_.Reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      names_.AddListed(i);
    }
  }

  void Line(std::string_view line) {
    const std::size_t number = ++result_.lines;
    const std::string_view content = line.substr(0, line.find('#'));
    std::vector<std::string_view> words = WordsOf(content);
    if (words.empty()) {
      return;
    }
    Status status = Status::kBlocked;
    if (IsAddress(words.front())) {
      words.erase(words.begin());
    } else if (words.size() == 2 && (words[1] == StatusText(Status::kBlocked) ||
                                     words[1] == StatusText(Status::kAllowed))) {
      status = words[1] == StatusText(Status::kAllowed) ? Status::kAllowed : Status::kBlocked;
      words.pop_back();  // a line of an exported list
    }
    std::string reason = words.empty() ? "It holds an address and no name" : "";
    bool named = false;
    for (const std::string_view word : words) {
      const TextEncoding encoding =
          IsAscii(word) || !IsUtf8(word) ? TextEncoding::kCodePage : TextEncoding::kUtf8;
      auto name = HostNameOf(word, encoding);
      if (!name) {
        if (reason.empty()) {
          reason = name.error().reason;
        }
        continue;
      }
      named = true;
      Take(*name, status);
    }
    if (!named) {
      if (result_.nameless++ == 0) {
        result_.first_nameless = number;
        result_.first_nameless_text = Shortened(rir::Trimmed(line, " \t\r"));
        result_.first_nameless_reason = std::move(reason);
      }
    }
  }

  std::size_t lines() const { return result_.lines; }
  // Room for the names of a text of `bytes`, none of it used until written: growing by doubling
  // would copy the names, and hold both copies at once.
  void Expect(std::size_t bytes) { result_.names.reserve(bytes / 8, bytes); }
  void ReleaseUnusedRoom() { result_.names.ReleaseUnusedRoom(); }
  std::size_t found() const { return result_.names.size(); }
  NameImport Result() && { return std::move(result_); }

 private:
  void Take(const std::string& name, Status status) {
    if (IsOwnName(name, own_names_)) {
      ++result_.own_names;
      return;
    }
    switch (names_.Find(name)) {
      case NameSet::Found::kInList:
        ++result_.in_list;
        return;
      case NameSet::Found::kImported:
        ++result_.repeated;
        return;
      case NameSet::Found::kNowhere:
        break;
    }
    // A name from HostNameOf is one line of at most 253 bytes: nothing the list refuses.
    if (const auto added = result_.names.Append(name, status)) {
      names_.AddImported(*added);
    }
  }

  NameImport result_;
  const std::vector<std::string>& own_names_;
  NameSet names_;
};

NameReader::NameReader(const BlockList& list, std::vector<std::string> own_names,
                       ImportProgress* progress)
    : own_names_(std::move(own_names)),
      importer_(std::make_unique<Importer>(list, own_names_)),
      progress_(progress) {}

NameReader::~NameReader() = default;

bool NameReader::Cancelled() const {
  return progress_ != nullptr && progress_->cancel.load(std::memory_order_relaxed);
}

void NameReader::Read(std::string_view piece, std::size_t whole_size) {
  if (read_ == 0 && carried_.empty() && !utf16_file_) {
    importer_->Expect(whole_size);
    if (progress_ != nullptr) {
      progress_->bytes_total.store(whole_size, std::memory_order_relaxed);
    }
    if (piece.starts_with(kUtf16Mark)) {
      utf16_file_ = true;  // converted whole at the end: such files are small
    } else if (piece.starts_with(kUtf8Mark)) {
      piece.remove_prefix(kUtf8Mark.size());
      read_ += kUtf8Mark.size();
    }
  }
  if (utf16_file_) {
    utf16_ += piece;
    read_ += piece.size();
    return;
  }
  Lines(piece, false);
}

void NameReader::Lines(std::string_view text, bool last) {
  if (Cancelled()) {
    return;
  }
  std::size_t at = 0;
  if (!carried_.empty()) {
    const std::size_t end = text.find('\n');
    carried_ += text.substr(0, end);
    if (end == std::string_view::npos && !last) {
      read_ += text.size();
      return;
    }
    importer_->Line(carried_);
    carried_.clear();
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos && !last) {
      carried_.assign(text.substr(at));
      break;
    }
    const std::size_t line_end = std::min(end, text.size());
    importer_->Line(text.substr(at, line_end - at));
    at = line_end + 1;
    if (progress_ != nullptr && importer_->lines() % kLinesBetweenLooks == 0) {
      progress_->bytes_done.store(read_ + std::min(at, text.size()), std::memory_order_relaxed);
      progress_->names_found.store(importer_->found(), std::memory_order_relaxed);
      if (Cancelled()) {
        return;
      }
    }
  }
  read_ += text.size();
}

std::optional<NameImport> NameReader::Finish() {
  if (utf16_file_) {
    const std::string text = FromUtf16(std::string_view(utf16_).substr(kUtf16Mark.size()));
    utf16_ = {};
    read_ = 0;
    Lines(text, true);
  } else if (!carried_.empty()) {
    Lines({}, true);
  }
  if (Cancelled()) {
    return std::nullopt;
  }
  importer_->ReleaseUnusedRoom();
  if (progress_ != nullptr) {
    progress_->bytes_done.store(read_, std::memory_order_relaxed);
    progress_->names_found.store(importer_->found(), std::memory_order_relaxed);
  }
  return std::move(*importer_).Result();
}

std::optional<NameImport> ImportNames(std::string_view text, const BlockList& list,
                                      const std::vector<std::string>& own_names,
                                      ImportProgress* progress) {
  NameReader reader(list, own_names, progress);
  reader.Read(text, text.size());
  return reader.Finish();
}

std::string ExportText(const BlockList& list, const std::function<Status(std::size_t)>& status_of) {
  // The system's own line ends, for the editors the user opens the file in; Import reads either.
#ifdef _WIN32
  constexpr std::string_view kLineEnd = "\r\n";
#else
  constexpr std::string_view kLineEnd = "\n";
#endif
  std::string text =
      "# Websites of Tamborelle Rir Avadera, each Blocked or Allowed; File, Import Websites... "
      "takes them in again.";
  text += kLineEnd;
  text.reserve(text.size() + list.website_bytes() + list.size() * (8 + kLineEnd.size()));
  for (std::size_t i = 0; i < list.size(); ++i) {
    text += list[i].website;
    text += '\t';
    text += StatusText(status_of(i));
    text += kLineEnd;
  }
  return text;
}

}  // namespace blocklist
