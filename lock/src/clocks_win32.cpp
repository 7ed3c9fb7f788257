#include <windows.h>

#include <ctime>

#include "lock/clocks.h"

namespace lock {

Clocks ReadClocks() {
  Clocks now;
  // The interrupt time, which goes on while the machine sleeps or hibernates.
  now.since_boot = static_cast<std::int64_t>(GetTickCount64() / 1000);
  now.wall = std::time(nullptr);
  // Counted up by the system at each start; where it is missing, a new boot is told by the
  // interrupt time starting again.
  DWORD count = 0;
  DWORD size = sizeof count;
  if (RegGetValueA(HKEY_LOCAL_MACHINE,
                   "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory "
                   "Management\\PrefetchParameters",
                   "BootId", RRF_RT_REG_DWORD, nullptr, &count, &size) == ERROR_SUCCESS) {
    now.boot_id = std::to_string(count);
  }
  return now;
}

}  // namespace lock
