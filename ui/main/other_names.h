// The names of the same sites as the blocked websites that the list does not hold, which the
// check looks up as well: for a site's registrable name or its www form, the other of the two
// and "m." and "mobile." before the registrable name; a known site's other names, with the www
// form of each registrable one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "blocklist/block_list.h"
#include "blocklist/site_names.h"

namespace ui {

// How many blocked websites the check looks around, those added last: each costs a few look-ups
// more.
inline constexpr std::size_t kMostSitesLookedAround = 1000;

// For the kMostSitesLookedAround last of `sites` (the blocked names, in the list's order), the
// last first; `bounded` says when there were more. Names that `list` holds are left out.
std::vector<std::string> OtherNamesOfSites(const std::vector<std::string>& sites,
                                           const blocklist::BlockList& list,
                                           const blocklist::KnownSites& known, bool& bounded);

}  // namespace ui
