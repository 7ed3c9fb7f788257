#include <ctime>
#include <fstream>

#include "lock/clocks.h"

namespace lock {

Clocks ReadClocks() {
  Clocks now;
  timespec boot{};
  ::clock_gettime(CLOCK_BOOTTIME, &boot);
  now.since_boot = boot.tv_sec;
  now.wall = std::time(nullptr);
  std::ifstream id("/proc/sys/kernel/random/boot_id");
  std::getline(id, now.boot_id);
  return now;
}

}  // namespace lock
