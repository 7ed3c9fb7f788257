// A lock's length as the user types it, and its end as the window shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace lock {

// "90 minutes", "2 hours", "1 day 12 hours", "3d", or an end: "17:00" (the next time the clock
// shows it), "2026-12-11 17:00" (local time). The seconds from `now` (wall clock) to the end,
// or kInvalidText with why: nothing, a length of nothing, an end past, more than 30 days.
rir::Result<std::int64_t> ParseLockLength(std::string_view typed, std::int64_t now);

// "Fri 2026-12-11 17:00", in local time.
std::string ShownTime(std::int64_t wall);
// "2 days 3 hours", "3 hours 5 minutes", "4 minutes": whole minutes, rounded up.
std::string ShownLength(std::int64_t seconds);

}  // namespace lock
