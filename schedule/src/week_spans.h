// A schedule as the minutes of the week it is on, Monday 00:00 being 0.
#pragma once

#include <vector>

#include "schedule/weekly.h"

namespace schedule {

struct Span {
  int start = 0;  // 0 <= start < end <= kMinutesPerWeek
  int end = 0;
};

// The schedule's valid ranges, Sunday's past midnight into Monday's, merged: sorted, apart from
// one another (none touches the next), and within the one week.
std::vector<Span> WeekSpans(const WeeklySchedule& schedule);

}  // namespace schedule
