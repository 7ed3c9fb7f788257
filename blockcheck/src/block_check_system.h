// What the blocking check asks of the platform besides the lookup itself.
#pragma once

#include <string>

namespace blockcheck::detail {

// An address's text read by the system's own parser (inet_pton, InetPtonW), as the resolver
// reads the hosts file's: IPv4 into 4 bytes, IPv6 (without a zone) into 16; false when the text
// is no such address.
bool ReadIpv4(const char* text, unsigned char* out);
bool ReadIpv6(const char* text, unsigned char* out);

// Whether a cache of earlier answers runs on this machine.
bool CacheRuns();
// Makes the system's lookups ready to be called from any thread; once a process.
void PrepareLookups();

}  // namespace blockcheck::detail
