// The schedule in force at a moment, and its next change, in a time zone.
//
// Every range, each week, is on from the first moment the local clock shows its start (or a
// later time) to the first moment it shows its end (or a later time). So a change that falls in
// the hour lost to summer time happens when that hour ends (02:30 at 03:00); one that falls in the
// hour repeated when it ends happens at the first showing, and the second showing changes
// nothing: no range is on twice, none on again after its end. A range that lies wholly in the
// lost hour is not on that day. A zone or clock that is changed moves the changes with the local
// clock: each look reads the state afresh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "schedule/local_time.h"
#include "schedule/weekly.h"

namespace schedule {

struct Now {
  bool on = false;
  // UTC seconds of the next change; none when the schedule is on all the week or never.
  std::optional<std::int64_t> next_change;

  friend bool operator==(const Now&, const Now&) = default;
};

Now StateAt(const WeeklySchedule& schedule, std::int64_t utc, const Zone& zone);

// When the state changes, for "Scheduled (blocked until 17:00)": "17:00" (local time) when the
// change is on today's date, "Mon 09:00" otherwise; empty when it never changes.
std::string UntilText(const Now& now, std::int64_t utc_now, const Zone& zone);

}  // namespace schedule
