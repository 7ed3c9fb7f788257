// A weekly schedule: for each day, ranges of local time, a range possibly running past midnight
// into the next day (Fri 22:00-02:00 is Friday 22:00 to Saturday 02:00, Sunday's into Monday's).
// Here the week is counted in local minutes alone; boundary.h puts it on the calendar.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rir/result.h"

namespace schedule {

inline constexpr int kMinutesPerDay = 24 * 60;
inline constexpr int kMinutesPerWeek = 7 * kMinutesPerDay;

struct Range {
  int day = 0;    // 0 Monday .. 6 Sunday
  int start = 0;  // minutes since that day's midnight, 0..1439
  // Past `start`, at most a day later: above 1440 runs into the next day (22:00-02:00 is
  // 1320..1560), 1440 is midnight at the day's end.
  int end = 0;

  friend bool operator==(const Range&, const Range&) = default;
  friend auto operator<=>(const Range&, const Range&) = default;
};

// Whether `range` is of the form above. Ranges that are not count for nothing anywhere.
bool Valid(const Range& range);

// One schedule for the whole list.
struct WeeklySchedule {
  std::vector<Range> ranges;  // in any order, overlapping or not

  friend bool operator==(const WeeklySchedule&, const WeeklySchedule&) = default;
};

// Whether the schedule is on at `minute` (0..1439) of `weekday` (0 Monday .. 6 Sunday), local
// time: a range is on from its start up to, not at, its end.
bool OnAt(const WeeklySchedule& schedule, int weekday, int minute);

// Whether every minute of the week on in `narrower` is on in `wider` too: a schedule under a lock
// may gain hours, never lose them.
bool Covers(const WeeklySchedule& wider, const WeeklySchedule& narrower);

// A day's range as the user types it: "9:00-17:00", "22:00 - 02:00" (an end not after the start
// is the next day's), "00:00-24:00" (the whole day); equal times are a whole day from the start.
// kInvalidText with why otherwise.
rir::Result<Range> ParseRange(std::string_view text, int day);
// "22:00-02:00", "00:00-24:00": what ParseRange reads back to the same range.
std::string RangeText(const Range& range);

// "09:00" for 540, "24:00" for 1440: minutes since midnight as a clock shows them.
std::string ClockText(int minute);
// "Mon" .. "Sun".
std::string_view DayName(int day);
// The day "Mon" .. "Sun" names, in any case; -1 for any other text.
int DayOfName(std::string_view name);

}  // namespace schedule
