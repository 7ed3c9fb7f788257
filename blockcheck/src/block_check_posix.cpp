#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "block_check_system.h"
#include "blockcheck/block_check.h"
#include "hostsfile/resolver_cache.h"

namespace blockcheck {

namespace detail {

// systemd-resolved and nscd each keep answers; either one's socket shows it runs. Other caches
// (dnsmasq, a router's) are not looked for: a leak they explain stays kUnknown.
bool CacheRuns() {
  const hostsfile::ResolverCaches caches;
  return ::access(caches.resolved_socket.c_str(), F_OK) == 0 ||
         ::access(caches.nscd_socket.c_str(), F_OK) == 0;
}

void PrepareLookups() {}

bool ReadIpv4(const char* text, unsigned char* out) {
  return ::inet_pton(AF_INET, text, out) == 1;
}

bool ReadIpv6(const char* text, unsigned char* out) {
  return ::inet_pton(AF_INET6, text, out) == 1;
}

}  // namespace detail

LookupAnswer SystemLookup(const std::string& name, AddressFamily family) {
  addrinfo hints{};
  hints.ai_family = family == AddressFamily::kIpv4 ? AF_INET : AF_INET6;
  hints.ai_socktype = SOCK_STREAM;  // one answer per address, not one per socket type
  addrinfo* list = nullptr;
  LookupAnswer answer;
  switch (::getaddrinfo(name.c_str(), nullptr, &hints, &list)) {
    case 0:
      break;
    case EAI_NONAME:
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      answer.kind = LookupAnswer::Kind::kNoAddress;
      return answer;
    case EAI_AGAIN:
      answer.kind = LookupAnswer::Kind::kNoAnswer;
      return answer;
    default:
      answer.kind = LookupAnswer::Kind::kFailed;
      return answer;
  }
  answer.kind = LookupAnswer::Kind::kAddresses;
  for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes = nullptr;
    if (entry->ai_family == AF_INET) {
      bytes = &reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
    } else if (entry->ai_family == AF_INET6) {
      bytes = &reinterpret_cast<const sockaddr_in6*>(entry->ai_addr)->sin6_addr;
    }
    if (bytes && ::inet_ntop(entry->ai_family, bytes, text, sizeof text)) {
      answer.addresses.emplace_back(text);
    }
  }
  ::freeaddrinfo(list);
  if (answer.addresses.empty()) {
    answer.kind = LookupAnswer::Kind::kNoAddress;
  }
  return answer;
}

}  // namespace blockcheck
