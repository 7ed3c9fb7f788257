// What the blocking check asks of the platform besides the lookup itself.
#pragma once

namespace blocklist::detail {

// Whether a cache of earlier answers runs on this machine.
bool CacheRuns();
// Makes the system's lookups ready to be called from any thread; once a process.
void PrepareLookups();

}  // namespace blocklist::detail
