// The local clock, asked of a time zone that is given: the system's as set (TZ honoured) in the
// program and the keeper, any zone at all in tests. Times are seconds since 1970 in UTC; "local
// seconds" are the local clock's reading counted the same way, as if it were UTC.
#pragma once

#include <cstdint>

namespace schedule {

inline constexpr std::int64_t kSecondsPerMinute = 60;
inline constexpr std::int64_t kSecondsPerDay = std::int64_t{24} * 60 * kSecondsPerMinute;

// A time zone: the one thing asked of it is its offset at a moment.
class Zone {
 public:
  virtual ~Zone() = default;
  // Seconds the local clock is ahead of UTC at `utc`.
  virtual std::int64_t OffsetAt(std::int64_t utc) const = 0;
};

// The system's zone. On POSIX systems TZ where set, else the system's own, read again when made
// (tzset, then localtime_r), so that a zone changed since counts from the next one made; on
// Windows the system's zone alone, with the rules of the moment's year, asked at each reading.
class SystemZone final : public Zone {
 public:
  SystemZone();
  std::int64_t OffsetAt(std::int64_t utc) const override;
};

// One offset all the year.
class FixedZone final : public Zone {
 public:
  explicit FixedZone(std::int64_t offset) : offset_(offset) {}
  std::int64_t OffsetAt(std::int64_t /*utc*/) const override { return offset_; }

 private:
  std::int64_t offset_;
};

struct LocalTime {
  int weekday = 0;          // 0 Monday .. 6 Sunday
  int minute = 0;           // whole minutes since local midnight, 0..1439
  std::int64_t offset = 0;  // seconds the local clock is ahead of UTC
};

// The local clock at `utc`.
LocalTime ToLocal(std::int64_t utc, const Zone& zone);
// The same as local seconds.
std::int64_t LocalSeconds(std::int64_t utc, const Zone& zone);

// Back: the first moment at which the local clock shows `local` (local seconds) or a later time.
// A time the clock shows twice (the hour repeated when summer time ends) is its first showing; a
// time it skips (the hour lost when summer time begins) is the first that exists after it, 03:00
// for 02:30. Later local times never come sooner.
std::int64_t FirstShowing(std::int64_t local, const Zone& zone);

// The weekday (0 Monday) of the local day `local` falls in.
int WeekdayOf(std::int64_t local);

}  // namespace schedule
