#include "ui/main/other_names.h"

#include <algorithm>
#include <unordered_set>

#include "blocklist/host_name.h"

namespace ui {

std::vector<std::string> OtherNamesOfSites(const std::vector<std::string>& sites,
                                           const blocklist::BlockList& list,
                                           const blocklist::KnownSites& known, bool& bounded) {
  bounded = sites.size() > kMostSitesLookedAround;
  std::vector<std::string> others;
  std::unordered_set<std::string> seen;
  const auto consider = [&](const std::string& name) {
    if (seen.insert(name).second) {
      others.push_back(name);
    }
  };
  // The websites added last are the last in the list; they come first, so that a check that runs
  // out of time has looked around them.
  const std::size_t first = bounded ? sites.size() - kMostSitesLookedAround : 0;
  for (std::size_t i = sites.size(); i-- > first;) {
    auto host = blocklist::HostNameOf(sites[i]);
    if (!host) {
      continue;  // a line of the file that names no host has no other names either
    }
    // Only a site's own name and its www form have names to guess: "m.example.com" names no
    // "www.m.example.com", and "news.example.co.uk" no "m.example.co.uk" of its own.
    const auto companion = blocklist::CompanionName(*host);
    if (companion) {
      consider(*companion);
    }
    for (const std::string& name : blocklist::GuessedNames(*host)) {
      consider(name);
    }
    for (const std::string& site : {*host, companion.value_or(std::string())}) {
      for (const std::string& name : blocklist::WithWwwForms(known.OtherNames(site))) {
        consider(name);
      }
    }
  }
  // One pass over the list, however long, for the few names looked around for; an entry names
  // them whatever its case, with or without a trailing dot.
  std::unordered_set<std::string_view> held;
  std::string lowered;
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::string_view website = list[i].website;
    if (website.ends_with('.')) {
      website.remove_suffix(1);
    }
    if (std::any_of(website.begin(), website.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
      lowered.assign(website);
      std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      });
      website = lowered;
    }
    if (const auto found = seen.find(std::string(website)); found != seen.end()) {
      held.insert(*found);
    }
  }
  std::erase_if(others, [&](const std::string& name) { return held.contains(name); });
  return others;
}

}  // namespace ui
