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

// A site's usual names hang off its registrable name (RegistrableName), and only its own name
// and its www form are both in common use. So a registrable name's companion is its www form
// ("bbc.co.uk": "www.bbc.co.uk"), and the www form's is the registrable name. Nothing for any
// other name: a deeper subdomain ("news.bbc.co.uk", "m.example.com") is a name of its own, and a
// public suffix ("co.uk", "github.io", "com") or an address names no site. A registrable name
// that begins "www." ("www.com") is taken as its own www form.
std::optional<std::string> CompanionName(std::string_view host);

// The names a site is often served under that can be guessed: "m." and "mobile." before the
// registrable name, for that name or its www form; none for any other name.
std::vector<std::string> GuessedNames(std::string_view host);

// A known site's other names, each followed by its www form when it is a registrable name: a
// second domain ("youtube-nocookie.com") is reached through that as well, as the site's own is.
std::vector<std::string> WithWwwForms(const std::vector<std::string>& names);

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
