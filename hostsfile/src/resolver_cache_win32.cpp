#include <windows.h>

#include <vector>

#include "hostsfile/resolver_cache.h"

namespace hostsfile {

std::vector<rir::Error> FlushResolverCaches(const ResolverCaches& /*caches*/) {
  // What `ipconfig /flushdns` calls, found at run time: dnsapi.dll does not declare it.
  HMODULE dnsapi = LoadLibraryExW(L"dnsapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (dnsapi == nullptr) {
    return {rir::SystemFailure(rir::ErrorCode::kFlushResolverCache, "dnsapi.dll")};
  }
  using Flush = BOOL(WINAPI*)();
  // GetProcAddress gives a generic pointer; the function's own type is known only by name.
  const auto flush = reinterpret_cast<Flush>(
      reinterpret_cast<void*>(GetProcAddress(dnsapi, "DnsFlushResolverCache")));
  std::vector<rir::Error> failures;
  if (flush == nullptr || !flush()) {
    failures.push_back(
        rir::SystemFailure(rir::ErrorCode::kFlushResolverCache, "the DNS Client cache"));
  }
  FreeLibrary(dnsapi);
  return failures;
}

}  // namespace hostsfile
