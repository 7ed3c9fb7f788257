#include "browserpolicy/policy_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

namespace browserpolicy {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\n";

rir::Error NotPolicies(const std::string& path, std::string reason) {
  return rir::Error{rir::ErrorCode::kBadPolicyFile, path, std::move(reason)};
}

// One member of an object, by where its parts lie in the text.
struct Member {
  std::string key;          // as JSON reads it, escapes undone
  std::size_t key_begin;    // its opening quote
  std::size_t value_begin;  // the value's first byte
  std::size_t value_end;    // one past its last
};

// Reads the places of an object's members in a text already known to be valid JSON; only the
// structure is followed here, the validation was nlohmann's.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::size_t SkipBlanks(std::size_t at) const {
    const auto next = text_.find_first_not_of(kBlanks, at);
    return next == std::string_view::npos ? text_.size() : next;
  }

  // One past the value that starts at `at`.
  std::size_t SkipValue(std::size_t at) const {
    if (text_[at] == '"') {
      return SkipString(at);
    }
    if (text_[at] != '{' && text_[at] != '[') {
      const auto end = text_.find_first_of(",}] \t\r\n", at);
      return end == std::string_view::npos ? text_.size() : end;
    }
    int depth = 0;
    for (std::size_t i = at; i < text_.size(); ++i) {
      const char c = text_[i];
      if (c == '"') {
        i = SkipString(i) - 1;
      } else if (c == '{' || c == '[') {
        ++depth;
      } else if ((c == '}' || c == ']') && --depth == 0) {
        return i + 1;
      }
    }
    return text_.size();
  }

  // The members of the object whose "{" is at `open`, and where its "}" is.
  std::vector<Member> Members(std::size_t open, std::size_t& close) const {
    std::vector<Member> members;
    std::size_t at = SkipBlanks(open + 1);
    while (at < text_.size() && text_[at] == '"') {
      const std::size_t key_end = SkipString(at);
      std::string key = Json::parse(text_.substr(at, key_end - at)).get<std::string>();
      const std::size_t value_begin = SkipBlanks(SkipBlanks(key_end) + 1);  // past the colon
      const std::size_t value_end = SkipValue(value_begin);
      members.push_back({std::move(key), at, value_begin, value_end});
      at = SkipBlanks(value_end);
      if (at < text_.size() && text_[at] == ',') {
        at = SkipBlanks(at + 1);
      }
    }
    close = at;
    return members;
  }

 private:
  std::size_t SkipString(std::size_t at) const {
    for (std::size_t i = at + 1; i < text_.size(); ++i) {
      if (text_[i] == '\\') {
        ++i;
      } else if (text_[i] == '"') {
        return i + 1;
      }
    }
    return text_.size();
  }

  std::string_view text_;
};

// The member the browser reads: of equal keys, the last counts (as JSON.parse and our parser take
// it), so an earlier one would be edited to no effect.
const Member* Find(const std::vector<Member>& members, std::string_view key) {
  const auto last = std::find_if(members.rbegin(), members.rend(),
                                 [&](const Member& member) { return member.key == key; });
  return last == members.rend() ? nullptr : &*last;
}

// Where the top-level object begins, after a byte order mark and blanks; the text must be one
// JSON object, as the browser requires.
rir::Result<std::size_t> TopObject(std::string_view text, const std::string& path) {
  const std::size_t start = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  const std::string_view body = text.substr(start);
  // The parser takes a NUL byte for the end of the text; the browser refuses the file.
  if (body.find('\0') != std::string_view::npos || !Json::accept(body)) {
    return NotPolicies(path, "it is not valid JSON");
  }
  const Scanner scanner(text);
  const std::size_t open = scanner.SkipBlanks(start);
  if (text[open] != '{') {
    return NotPolicies(path, "it is not a JSON object");
  }
  return open;
}

// The "policies" member of the top-level object, if any; kBadPolicyFile when it is not an object.
rir::Result<std::optional<Member>> PoliciesMember(std::string_view text, std::size_t open,
                                                  const std::string& path) {
  std::size_t close = 0;
  const std::vector<Member> top = Scanner(text).Members(open, close);
  const Member* policies = Find(top, "policies");
  if (policies == nullptr) {
    return std::optional<Member>();
  }
  if (text[policies->value_begin] != '{') {
    return NotPolicies(path, "its \"policies\" is not a JSON object");
  }
  return std::optional<Member>(*policies);
}

// `text` with `member` (a whole "key": value) put first into the object whose "{" is at `open`,
// laid out as the member that was first there.
std::string InsertFirst(std::string_view text, std::size_t open, std::string_view member) {
  std::size_t close = 0;
  const std::vector<Member> members = Scanner(text).Members(open, close);
  std::string out(text.substr(0, open + 1));
  if (members.empty()) {
    out += member;
    out += text.substr(open + 1);
    return out;
  }
  const std::string_view indent = text.substr(open + 1, members.front().key_begin - open - 1);
  out += indent;
  out += member;
  out += ',';
  out += text.substr(open + 1);
  return out;
}

// `text` without `member` of the object whose "{" is at `open`, and without the comma and blanks
// that part it from its neighbour.
std::string WithoutMember(std::string_view text, std::size_t open, const Member& member) {
  std::size_t close = 0;
  const std::vector<Member> members = Scanner(text).Members(open, close);
  std::size_t from = member.key_begin;
  std::size_t to = member.value_end;
  const auto at = static_cast<std::size_t>(
      std::find_if(members.begin(), members.end(),
                   [&](const Member& one) { return one.key_begin == member.key_begin; }) -
      members.begin());
  if (members.size() == 1) {
    // Alone: the member goes, the object's blanks stay, as they were before it came.
  } else if (at + 1 < members.size()) {
    to = members[at + 1].key_begin;
  } else {
    from = members[at - 1].value_end;
  }
  return std::string(text.substr(0, from)) + std::string(text.substr(to));
}

std::string FirefoxMemberText() {
  return "\"" + std::string(kFirefoxMember) + "\": " + std::string(kFirefoxOff);
}

// Where the top-level object and its "policies" member lie; refused as the browser refuses it.
struct Located {
  std::size_t open = 0;
  std::optional<Member> policies;
};

rir::Result<Located> Locate(std::string_view text, const std::string& path) {
  const auto open = TopObject(text, path);
  if (!open) {
    return open.error();
  }
  auto policies = PoliciesMember(text, *open, path);
  if (!policies) {
    return policies.error();
  }
  return Located{*open, std::move(*policies)};
}

}  // namespace

rir::Result<MergedPolicies> WithFirefoxDohOff(std::string_view text, const std::string& path) {
  if (text.find_first_not_of(kBlanks) == std::string_view::npos) {
    return MergedPolicies{"{\n  \"policies\": {\n    " + FirefoxMemberText() + "\n  }\n}\n", true};
  }
  const auto at = Locate(text, path);
  if (!at) {
    return at.error();
  }
  if (!at->policies) {
    return MergedPolicies{
        InsertFirst(text, at->open, "\"policies\": {" + FirefoxMemberText() + "}"), true};
  }
  std::size_t close = 0;
  const auto members = Scanner(text).Members(at->policies->value_begin, close);
  if (Find(members, kFirefoxMember) != nullptr) {
    return MergedPolicies{std::string(text)};
  }
  return MergedPolicies{InsertFirst(text, at->policies->value_begin, FirefoxMemberText())};
}

rir::Result<std::string> WithoutFirefoxDohOff(std::string_view text, const std::string& path,
                                              bool drop_policies) {
  if (text.find_first_not_of(kBlanks) == std::string_view::npos) {
    return std::string(text);
  }
  const auto at = Locate(text, path);
  if (!at) {
    return at.error();
  }
  if (!at->policies) {
    return std::string(text);
  }
  std::size_t close = 0;
  const auto members = Scanner(text).Members(at->policies->value_begin, close);
  const Member* ours = Find(members, kFirefoxMember);
  if (ours == nullptr ||
      Json::parse(text.substr(ours->value_begin, ours->value_end - ours->value_begin)) !=
          Json::parse(kFirefoxOff)) {
    return std::string(text);
  }
  if (drop_policies && members.size() == 1) {
    return WithoutMember(text, at->open, *at->policies);
  }
  return WithoutMember(text, at->policies->value_begin, *ours);
}

bool HoldsNoPolicy(std::string_view text) {
  const std::string_view body =
      text.starts_with(kByteOrderMark) ? text.substr(kByteOrderMark.size()) : text;
  const Json json = Json::parse(body, nullptr, false);
  if (!json.is_object()) {
    return false;
  }
  return json.empty() ||
         (json.size() == 1 && json.contains("policies") && json["policies"] == Json::object());
}

rir::Result<DohSetting> FirefoxDohSetting(std::string_view text, const std::string& path) {
  if (text.find_first_not_of(kBlanks) == std::string_view::npos) {
    return DohSetting::kNone;
  }
  if (auto at = Locate(text, path); !at) {
    return at.error();  // the browser refuses the whole file
  }
  const std::string_view body =
      text.starts_with(kByteOrderMark) ? text.substr(kByteOrderMark.size()) : text;
  const Json json = Json::parse(body);
  const auto policies = json.find("policies");
  if (policies == json.end() || !policies->is_object()) {
    return DohSetting::kNone;
  }
  const auto doh = policies->find(std::string(kFirefoxMember));
  if (doh == policies->end() || !doh->is_object()) {
    return DohSetting::kNone;
  }
  const auto enabled = doh->find("Enabled");
  if (enabled == doh->end() || !enabled->is_boolean()) {
    return DohSetting::kNone;
  }
  if (enabled->get<bool>()) {
    return DohSetting::kOn;
  }
  // Off but not locked is only the default: a profile's own setting still turns it on.
  const auto locked = doh->find("Locked");
  const bool held = locked != doh->end() && locked->is_boolean() && locked->get<bool>();
  return held ? DohSetting::kOff : DohSetting::kNone;
}

DohSetting ChromiumDohSetting(std::string_view text) {
  const std::string_view body =
      text.starts_with(kByteOrderMark) ? text.substr(kByteOrderMark.size()) : text;
  const Json json = Json::parse(body, nullptr, false);
  if (!json.is_object()) {
    return DohSetting::kNone;
  }
  const auto mode = json.find("DnsOverHttpsMode");
  if (mode == json.end() || !mode->is_string()) {
    return DohSetting::kNone;
  }
  const auto value = mode->get<std::string>();
  if (value == "off") {
    return DohSetting::kOff;
  }
  return value == "automatic" || value == "secure" ? DohSetting::kOn : DohSetting::kNone;
}

}  // namespace browserpolicy
