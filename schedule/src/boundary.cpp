#include "schedule/boundary.h"

#include <algorithm>

#include "week_spans.h"

namespace schedule {

namespace {

constexpr std::int64_t kSecondsPerWeek = 7 * kSecondsPerDay;

struct Interval {
  std::int64_t start = 0;  // UTC seconds
  std::int64_t end = 0;
};

// The local midnight that begins the day of `local`.
std::int64_t MidnightOf(std::int64_t local) {
  return local - (local % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
}

}  // namespace

Now StateAt(const WeeklySchedule& schedule, std::int64_t utc, const Zone& zone) {
  const auto spans = WeekSpans(schedule);
  if (spans.empty()) {
    return Now{false, std::nullopt};
  }
  if (spans.front().start == 0 && spans.front().end == kMinutesPerWeek) {
    return Now{true, std::nullopt};
  }
  // The spans of the weeks around this one, on the calendar. The schedule is off some time in
  // every week, but for a range wholly in a lost hour: two weeks either side hold the ends of the
  // run the moment is in, and the next run's start.
  const std::int64_t local = LocalSeconds(utc, zone);
  const std::int64_t monday = MidnightOf(local) - WeekdayOf(local) * kSecondsPerDay;
  std::vector<Interval> on;
  for (std::int64_t week = -2; week <= 3; ++week) {
    const std::int64_t base = monday + week * kSecondsPerWeek;
    for (const Span& span : spans) {
      const std::int64_t start = FirstShowing(base + span.start * kSecondsPerMinute, zone);
      const std::int64_t end = FirstShowing(base + span.end * kSecondsPerMinute, zone);
      if (start >= end) {
        continue;  // wholly in a lost hour
      }
      // FirstShowing keeps the order of local times: Sunday's end meets Monday's start.
      if (!on.empty() && start <= on.back().end) {
        on.back().end = std::max(on.back().end, end);
      } else {
        on.push_back(Interval{start, end});
      }
    }
  }
  for (const Interval& interval : on) {
    if (utc < interval.end) {
      return utc >= interval.start ? Now{true, interval.end} : Now{false, interval.start};
    }
  }
  return Now{false, std::nullopt};
}

std::string UntilText(const Now& now, std::int64_t utc_now, const Zone& zone) {
  if (!now.next_change) {
    return {};
  }
  const LocalTime change = ToLocal(*now.next_change, zone);
  if (MidnightOf(LocalSeconds(*now.next_change, zone)) == MidnightOf(LocalSeconds(utc_now, zone))) {
    return ClockText(change.minute);
  }
  return std::string(DayName(change.weekday)) + ' ' + ClockText(change.minute);
}

}  // namespace schedule
