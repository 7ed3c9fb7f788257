#include "ui/schedule/day_ranges.h"

#include <algorithm>
#include <vector>

#include "rir/text.h"

namespace ui {

namespace {

constexpr std::string_view kBlanks = " \t";

}  // namespace

std::string DayRangesText(const schedule::WeeklySchedule& weekly, int day) {
  std::vector<schedule::Range> ranges;
  std::copy_if(weekly.ranges.begin(), weekly.ranges.end(), std::back_inserter(ranges),
               [day](const schedule::Range& range) { return range.day == day; });
  // Range orders by day, then start: within one day, by start.
  std::sort(ranges.begin(), ranges.end());
  std::string text;
  for (const schedule::Range& range : ranges) {
    text += (text.empty() ? "" : ", ") + schedule::RangeText(range);
  }
  return text;
}

rir::Result<schedule::WeeklySchedule> ReadDays(const DayTexts& days) {
  schedule::WeeklySchedule weekly;
  for (std::size_t day = 0; day < days.size(); ++day) {
    std::string_view rest = days[day];
    while (!rest.empty()) {
      const std::size_t comma = std::min(rest.find(','), rest.size());
      const std::string_view piece = rir::Trimmed(rest.substr(0, comma), kBlanks);
      rest.remove_prefix(std::min(comma + 1, rest.size()));
      // A comma left at the end while typing, or two in a row, adds no range.
      if (piece.empty()) {
        continue;
      }
      auto range = schedule::ParseRange(piece, static_cast<int>(day));
      if (!range) {
        rir::Error error = range.error();
        error.reason = std::string(kDayNames[day]) + ": " + error.reason;
        return error;
      }
      weekly.ranges.push_back(*range);
    }
  }
  return weekly;
}

}  // namespace ui
