#include "schedule/schedule_record.h"

#include <algorithm>

namespace schedule {

namespace {

constexpr std::string_view kHeading = "rir-avadera-schedule 1\n";
// The last line: a record cut short lacks it.
constexpr std::string_view kEnd = "end\n";
constexpr std::string_view kRange = "range ";
constexpr std::string_view kName = "name ";

rir::Error Damaged(const std::string& path, std::string reason) {
  return rir::Error{rir::ErrorCode::kDamagedScheduleRecord, path, std::move(reason)};
}

template <class T>
void SortUnique(std::vector<T>& items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
}

}  // namespace

std::string EncodeSchedule(const WeeklySchedule& schedule, const std::vector<std::string>& names) {
  std::vector<Range> ranges = schedule.ranges;
  SortUnique(ranges);
  std::string text(kHeading);
  for (const Range& range : ranges) {
    if (Valid(range)) {
      text.append(kRange).append(DayName(range.day)).append(" ").append(RangeText(range));
      text += '\n';
    }
  }
  for (const std::string& name : names) {
    text.append(kName).append(name);
    text += '\n';
  }
  text += kEnd;
  return text;
}

rir::Result<ScheduleRecord> DecodeSchedule(std::string_view text, const std::string& path) {
  if (!text.starts_with(kHeading) || !text.ends_with(kEnd)) {
    return Damaged(path, "it is not whole");
  }
  text.remove_prefix(kHeading.size());
  text.remove_suffix(kEnd.size());
  ScheduleRecord record;
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos) {
      return Damaged(path, "its last line runs into its end");
    }
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line.starts_with(kName) && line.size() > kName.size()) {
      record.names.emplace_back(line.substr(kName.size()));
      continue;
    }
    // "range Fri 22:00-02:00"
    if (line.starts_with(kRange) && line.size() > kRange.size() + 4 &&
        line[kRange.size() + 3] == ' ') {
      auto range =
          ParseRange(line.substr(kRange.size() + 4), DayOfName(line.substr(kRange.size(), 3)));
      if (range) {
        record.schedule.ranges.push_back(*range);
        continue;
      }
    }
    return Damaged(path, "it holds the line \"" + std::string(line) + "\"");
  }
  SortUnique(record.schedule.ranges);
  SortUnique(record.names);
  return record;
}

}  // namespace schedule
