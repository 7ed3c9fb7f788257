// The schedule's record, kept beside the history where only an administrator may write: the
// names it covers and its ranges, one a line between a heading and an "end" line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rir/result.h"
#include "schedule/weekly.h"

namespace schedule {

struct ScheduleRecord {
  WeeklySchedule schedule;         // its ranges sorted, each once
  std::vector<std::string> names;  // sorted, each once

  friend bool operator==(const ScheduleRecord&, const ScheduleRecord&) = default;
};

// The record's text: ranges as "range Fri 22:00-02:00", names as "name a.example". Ranges that
// are not Valid are left out.
std::string EncodeSchedule(const WeeklySchedule& schedule, const std::vector<std::string>& names);
// Back; kDamagedScheduleRecord with `path` and why for a text not whole or not of this form.
rir::Result<ScheduleRecord> DecodeSchedule(std::string_view text, const std::string& path);

}  // namespace schedule
