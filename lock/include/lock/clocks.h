// The clocks a lock counts by. A lock counts time that really passed: the time since the machine
// started, suspend included, which no setting of the date or the time zone moves; the wall clock
// only to tell how long the machine was off between one start and the next, and to show the end.
#pragma once

#include <cstdint>
#include <string>

namespace lock {

struct Clocks {
  // The running boot's own id; empty where the system gives none (a new boot is then told by its
  // clock starting again below the last reading).
  std::string boot_id;
  std::int64_t since_boot = 0;  // seconds since this boot began, time asleep included
  std::int64_t wall = 0;        // seconds since 1970 as the clock is set
};

// The machine's clocks now: CLOCK_BOOTTIME and the kernel's boot id on Linux; on Windows the
// interrupt time (GetTickCount64, which counts sleep) and the system's boot count.
Clocks ReadClocks();

}  // namespace lock
