// The other names a site is reached through. A hosts line blocks one exact name, but links,
// bookmarks and search results mostly lead to a site's www or mobile name, and the best known
// sites serve their pages from names of their own besides (a short-link name, a second domain).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace blocklist {

// A host name's usual other form: "www." in front of a name that lacks it, or the name without
// it. Nothing for a name of one label or one that would become one ("www.com" is not "com"'s).
std::optional<std::string> CompanionName(std::string_view host);

// The sites file: one site per line, its main name first, then the other names it owns, each
// a host name; '#' begins a comment. A line that names no other name, or holds a word that is no
// host name, is skipped.
class KnownSites {
 public:
  KnownSites() = default;
  // `damaged`: the numbers (from 1) of the lines skipped.
  static KnownSites Parse(std::string_view text, std::vector<std::size_t>& damaged);

  // The other names of the site whose main name is `host`; empty for any other name.
  const std::vector<std::string>& OtherNames(std::string_view host) const;
  std::size_t size() const { return sites_.size(); }

 private:
  std::unordered_map<std::string, std::vector<std::string>> sites_;
};

}  // namespace blocklist
