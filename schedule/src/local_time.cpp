#include "schedule/local_time.h"

#include <algorithm>

namespace schedule {

namespace {

// Every zone's offset lies within 14 hours of UTC: a moment whose local clock shows a time lies
// within this of that time.
constexpr std::int64_t kReach = std::int64_t{15} * 60 * kSecondsPerMinute;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

int WeekdayOf(std::int64_t local) {
  // 1970-01-01 was a Thursday, day 3 from Monday.
  const std::int64_t day = FloorDiv(local, kSecondsPerDay) + 3;
  return static_cast<int>(day - FloorDiv(day, 7) * 7);
}

std::int64_t LocalSeconds(std::int64_t utc, const Zone& zone) {
  return utc + zone.OffsetAt(utc);
}

LocalTime ToLocal(std::int64_t utc, const Zone& zone) {
  const std::int64_t offset = zone.OffsetAt(utc);
  const std::int64_t local = utc + offset;
  const std::int64_t of_day = local - FloorDiv(local, kSecondsPerDay) * kSecondsPerDay;
  return LocalTime{WeekdayOf(local), static_cast<int>(of_day / kSecondsPerMinute), offset};
}

std::int64_t FirstShowing(std::int64_t local, const Zone& zone) {
  // The offsets either side of the window the moment lies in; zones change their offset at most
  // once in such a window.
  const std::int64_t before = zone.OffsetAt(local - kReach);
  const std::int64_t after = zone.OffsetAt(local + kReach);
  if (before == after) {
    return local - before;
  }
  // The moment of the change: the first with the new offset.
  std::int64_t old_until = local - kReach;
  std::int64_t change = local + kReach;
  while (change - old_until > 1) {
    const std::int64_t middle = old_until + (change - old_until) / 2;
    (zone.OffsetAt(middle) == before ? old_until : change) = middle;
  }
  // Shown before the change (the first showing of a repeated time); else shown after it, or,
  // for a time the change skips, the change itself.
  if (local - before < change) {
    return local - before;
  }
  return std::max(change, local - after);
}

}  // namespace schedule
