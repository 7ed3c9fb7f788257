// The caches that keep answers the hosts file gave before it changed: until they are emptied, a
// name just blocked may still reach its site.
#pragma once

#include <string>
#include <vector>

#include "rir/error.h"

namespace hostsfile {

// Where to look for the caches that run on this machine, and the commands that empty them.
// Elsewhere than Windows: systemd-resolved and nscd, each when its socket is there.
struct ResolverCaches {
  std::string resolved_socket = "/run/systemd/resolve/io.systemd.Resolve";
  std::string resolvectl = "/usr/bin/resolvectl";
  std::string nscd_socket = "/run/nscd/socket";
  std::string nscd = "/usr/sbin/nscd";
};

// Empties every such cache that runs (Windows: the DNS Client's, in this process); one error for
// each that could not be emptied, and none when there was nothing to do.
std::vector<rir::Error> FlushResolverCaches(const ResolverCaches& caches = {});

}  // namespace hostsfile
