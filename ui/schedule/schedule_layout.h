// The schedule window, frmSchedule: a box of ranges for each day of the week, what they give now
// or what is wrong with them, and OK and Cancel. Controls in the order of the Tab key.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "ui/common/layout.h"
#include "ui/schedule/day_ranges.h"

namespace ui {

// Each day's label and box, by the day (0 Monday .. 6 Sunday).
inline constexpr std::array<std::string_view, kDaysInWeek> kDayLabels{
    "lblMonday", "lblTuesday",  "lblWednesday", "lblThursday",
    "lblFriday", "lblSaturday", "lblSunday"};
inline constexpr std::array<std::string_view, kDaysInWeek> kDayBoxes{
    "txtMonday", "txtTuesday",  "txtWednesday", "txtThursday",
    "txtFriday", "txtSaturday", "txtSunday"};

// `lblState` while the boxes hold no range: what a first schedule shows as it opens.
inline constexpr std::string_view kNoHoursText = "No hours: scheduled websites are never blocked.";

namespace schedule_layout {

inline constexpr int kMargin = 8;
inline constexpr int kClientWidth = 408;
inline constexpr int kBoxLeft = 96;
inline constexpr int kFirstTop = 12;
inline constexpr int kDayPitch = 31;  // a box's height and the gap below it
inline constexpr int kBelowDays = kFirstTop + static_cast<int>(kDaysInWeek) * kDayPitch;
inline constexpr int kButtonsTop = kBelowDays + 74;
inline constexpr int kButtonWidth = 81;
inline constexpr int kCancelLeft = kClientWidth - kMargin - kButtonWidth;
inline constexpr int kOKLeft = kCancelLeft - 7 - kButtonWidth;

// A day's label, level with the text in its box, then the box.
constexpr std::array<layout::Control, 2 * kDaysInWeek + 4> Controls() {
  std::array<layout::Control, 2 * kDaysInWeek + 4> controls{};
  for (std::size_t day = 0; day < kDaysInWeek; ++day) {
    const int top = kFirstTop + static_cast<int>(day) * kDayPitch;
    controls[2 * day] = {.name = kDayLabels[day],
                         .kind = layout::Kind::kLabel,
                         .caption = kDayNames[day],
                         .rect = {kMargin, top + 4, kBoxLeft - 2 * kMargin, 17}};
    controls[2 * day + 1] = {.name = kDayBoxes[day],
                             .kind = layout::Kind::kTextBox,
                             .rect = {kBoxLeft, top, kClientWidth - kMargin - kBoxLeft, 25}};
  }
  const int wide = kClientWidth - 2 * kMargin;
  controls[2 * kDaysInWeek] = {
      .name = "lblExamples",
      .kind = layout::Kind::kLabel,
      .caption =
          "Ranges such as 09:00-17:00, several a day with commas between them; "
          "22:00-02:00 runs past midnight.",
      .rect = {kMargin, kBelowDays + 2, wide, 30}};
  // What the boxes give now, or the first range that does not read.
  controls[2 * kDaysInWeek + 1] = {.name = "lblState",
                                   .kind = layout::Kind::kLabel,
                                   .caption = kNoHoursText,
                                   .rect = {kMargin, kBelowDays + 38, wide, 30}};
  controls[2 * kDaysInWeek + 2] = {.name = "cmdOK",
                                   .kind = layout::Kind::kPushButton,
                                   .caption = "OK",
                                   .rect = {kOKLeft, kButtonsTop, kButtonWidth, 25}};
  controls[2 * kDaysInWeek + 3] = {.name = "cmdCancel",
                                   .kind = layout::Kind::kPushButton,
                                   .caption = "Cancel",
                                   .rect = {kCancelLeft, kButtonsTop, kButtonWidth, 25}};
  return controls;
}

}  // namespace schedule_layout

inline constexpr auto kScheduleControls = schedule_layout::Controls();

inline constexpr layout::FormLayout kScheduleLayout{
    .caption = "Schedule",
    .client_width = schedule_layout::kClientWidth,
    .client_height = schedule_layout::kButtonsTop + 25 + schedule_layout::kMargin,
    .font = layout::kDefaultFont,
    .controls = kScheduleControls};
static_assert(layout::IsWalkable(kScheduleLayout));

}  // namespace ui
