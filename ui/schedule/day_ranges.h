// The schedule window's day boxes as text: a day's ranges shown as the user types them
// ("09:00-17:00, 22:00-02:00"), and the seven boxes read back as one weekly schedule.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "rir/result.h"
#include "schedule/weekly.h"

namespace ui {

inline constexpr std::size_t kDaysInWeek = 7;

// The days as the window names them, 0 Monday .. 6 Sunday.
inline constexpr std::array<std::string_view, kDaysInWeek> kDayNames{
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

using DayTexts = std::array<std::string, kDaysInWeek>;

// `day`'s ranges, sorted by their start, each as ParseRange reads it back, joined by ", ".
std::string DayRangesText(const schedule::WeeklySchedule& weekly, int day);

// The boxes' ranges, separated by commas; a blank box or piece holds none. The first range that
// does not read is kInvalidText, its reason "Tuesday: " and why.
rir::Result<schedule::WeeklySchedule> ReadDays(const DayTexts& days);

}  // namespace ui
