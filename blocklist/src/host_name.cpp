#include "blocklist/host_name.h"

#include <algorithm>
#include <cstddef>

#include "rir/text.h"

namespace blocklist {

namespace {

constexpr std::size_t kMostNameBytes = 253;
constexpr std::size_t kMostLabelBytes = 63;

rir::Error NotAHostName(std::string_view typed, std::string reason) {
  return rir::Error{rir::ErrorCode::kNotAHostName, std::string(typed), std::move(reason)};
}

constexpr std::string_view kBlanks = " \t\v\f\r\n";

bool IsBlank(char c) {
  return kBlanks.find(c) != std::string_view::npos;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view text) {
  return rir::Trimmed(text, kBlanks);
}

// The part of a URL that names the host and port: after "scheme://" and "user@", before the
// path, the query or the fragment.
std::string_view Authority(std::string_view text) {
  if (const auto scheme = text.find("://"); scheme != std::string_view::npos) {
    text.remove_prefix(scheme + 3);
  }
  text = text.substr(0, text.find_first_of("/?#"));
  if (const auto user = text.rfind('@'); user != std::string_view::npos) {
    text.remove_prefix(user + 1);
  }
  return text;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Every label made of digits (or of hex digits after "0x"): what the resolver reads as an IPv4
// address, never as a name.
bool LooksLikeIPv4(std::string_view name) {
  for (;;) {
    const auto dot = name.find('.');
    std::string_view label = name.substr(0, dot);
    if (label.starts_with("0x")) {
      label.remove_prefix(2);
      if (label.empty() || !std::all_of(label.begin(), label.end(), [](char c) {
            return IsDigit(c) || (c >= 'a' && c <= 'f');
          })) {
        return false;
      }
    } else if (!AllDigits(label)) {
      return false;
    }
    if (dot == std::string_view::npos) {
      return true;
    }
    name.remove_prefix(dot + 1);
  }
}

// The reason `name` (lower case, ASCII) is no host name, or "" when it is one.
std::string Problem(std::string_view name) {
  if (name.size() > kMostNameBytes) {
    return "It is longer than the 253 characters a name may have";
  }
  std::size_t label = 0;
  for (const char c : name) {
    if (c == '.') {
      if (label == 0) {
        return "A name has no empty part between dots";
      }
      label = 0;
      continue;
    }
    if (!(c >= 'a' && c <= 'z') && !IsDigit(c) && c != '-' && c != '_') {
      if (IsBlank(c)) {
        return "It holds a blank";
      }
      if (c == '*') {
        return "It holds \"*\": a hosts file blocks names one by one, without wildcards";
      }
      return std::string("It holds \"") + c + "\", which no name holds";
    }
    if (++label > kMostLabelBytes) {
      return "A part between dots is longer than 63 characters";
    }
  }
  if (label == 0) {
    return "A name has no empty part between dots";
  }
  if (LooksLikeIPv4(name)) {
    return "It is an IP address, not a name";
  }
  return {};
}

}  // namespace

rir::Result<std::string> HostNameOf(std::string_view typed, TextEncoding encoding) {
  std::string_view host = Authority(Trim(typed));
  if (host.starts_with('[') || std::count(host.begin(), host.end(), ':') > 1) {
    return NotAHostName(typed, "It is an IP address, not a name");
  }
  if (const auto colon = host.find(':'); colon != std::string_view::npos) {
    if (!AllDigits(host.substr(colon + 1))) {
      return NotAHostName(typed, "It holds \":\", which no name holds");
    }
    host = host.substr(0, colon);  // a port: the hosts file maps names, whatever the port
  }
  if (host.ends_with('.')) {
    host.remove_suffix(1);  // the root, which every name ends in
  }
  if (host.empty()) {
    return NotAHostName(typed, "It holds no name");
  }
  std::string name(host);
  std::transform(name.begin(), name.end(), name.begin(), Lower);
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    auto ascii = detail::IdnToAscii(name, encoding);
    if (!ascii) {
      return NotAHostName(typed, ascii.error().reason);
    }
    name = std::move(*ascii);
    std::transform(name.begin(), name.end(), name.begin(), Lower);
  }
  if (std::string problem = Problem(name); !problem.empty()) {
    return NotAHostName(typed, std::move(problem));
  }
  return name;
}

std::string ShownName(std::string_view name) {
  // Only a label that begins with the ACE prefix ("xn--", any case) has other letters to show.
  bool encoded = false;
  for (std::size_t label = 0; label < name.size() && !encoded;) {
    const std::string_view rest = name.substr(label);
    encoded = rest.size() > 4 && Lower(rest[0]) == 'x' && Lower(rest[1]) == 'n' && rest[2] == '-' &&
              rest[3] == '-';
    const std::size_t dot = name.find('.', label);
    label = dot == std::string_view::npos ? name.size() : dot + 1;
  }
  if (!encoded) {
    return std::string(name);
  }
  std::string letters = detail::IdnToUnicode(std::string(name));
  // Letters that do not map back to the very name would show the user another site than the
  // one the file blocks.
  auto back =
      letters.empty() ? rir::Result<std::string>(std::string()) : detail::IdnToAscii(letters);
  if (!back || back->empty()) {
    return std::string(name);
  }
  std::transform(back->begin(), back->end(), back->begin(), Lower);
  if (back->ends_with('.')) {
    back->pop_back();
  }
  return NamesHost(name, *back) ? letters : std::string(name);
}

bool NamesHost(std::string_view entry_text, std::string_view host) {
  if (entry_text.ends_with('.')) {
    entry_text.remove_suffix(1);
  }
  return entry_text.size() == host.size() &&
         std::equal(entry_text.begin(), entry_text.end(), host.begin(),
                    [](char a, char b) { return Lower(a) == b; });
}

}  // namespace blocklist
