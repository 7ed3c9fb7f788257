#include "blocklist/site_names.h"

#include "blocklist/host_name.h"
#include "blocklist/registrable_name.h"
#include "rir/text.h"

namespace blocklist {

namespace {

constexpr std::string_view kWww = "www.";

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < line.size();) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) {
      break;
    }
    const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

// "www." before a registrable name that does not begin with it.
std::optional<std::string> WwwForm(std::string_view host) {
  if (host.starts_with(kWww) || RegistrableName(host) != host) {
    return std::nullopt;
  }
  return std::string(kWww) + std::string(host);
}

}  // namespace

std::optional<std::string> CompanionName(std::string_view host) {
  if (auto www = WwwForm(host)) {
    return www;
  }
  if (!host.starts_with(kWww)) {
    return std::nullopt;
  }
  const std::string_view rest = host.substr(kWww.size());
  const auto registrable = RegistrableName(host);
  return registrable && *registrable == rest ? registrable : std::nullopt;
}

std::vector<std::string> GuessedNames(std::string_view host) {
  const auto registrable = RegistrableName(host);
  if (!registrable || (host != *registrable && host != std::string(kWww) + *registrable)) {
    return {};
  }
  return {"m." + *registrable, "mobile." + *registrable};
}

std::vector<std::string> WithWwwForms(const std::vector<std::string>& names) {
  std::vector<std::string> with;
  for (const std::string& name : names) {
    with.push_back(name);
    if (auto www = WwwForm(name)) {
      with.push_back(std::move(*www));
    }
  }
  return with;
}

KnownSites KnownSites::Parse(std::string_view text, std::vector<std::size_t>& damaged) {
  KnownSites sites;
  std::size_t number = 0;
  for (std::size_t at = 0; at <= text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> words = Words(rir::Trimmed(line, " \t\r"));
    if (words.empty()) {
      continue;
    }
    std::vector<std::string> names;
    for (const std::string_view word : words) {
      auto name = HostNameOf(word);
      if (!name || *name != word) {
        break;  // as it is written, a name the resolver looks up: no URL, no upper case
      }
      names.push_back(std::move(*name));
    }
    if (names.size() != words.size() || names.size() < 2) {
      damaged.push_back(number + 1);
      continue;
    }
    std::string main = std::move(names.front());
    names.erase(names.begin());
    sites.sites_[std::move(main)] = std::move(names);
  }
  return sites;
}

const std::vector<std::string>& KnownSites::OtherNames(std::string_view host) const {
  static const std::vector<std::string> kNone;
  const auto found = sites_.find(std::string(host));
  return found == sites_.end() ? kNone : found->second;
}

}  // namespace blocklist
