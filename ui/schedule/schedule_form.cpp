#include "ui/schedule/schedule_form.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>

#include "schedule/boundary.h"
#include "schedule/local_time.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"
#include "ui/schedule/schedule_layout.h"

namespace ui {

namespace {

// What `weekly` gives at `utc`, as the line under the boxes says it.
std::string StateText(const schedule::WeeklySchedule& weekly, std::int64_t utc) {
  if (weekly.ranges.empty()) {
    return std::string(kNoHoursText);
  }
  // The zone is read afresh at each look, so that a zone changed since counts.
  const schedule::SystemZone zone;
  const schedule::Now now = schedule::StateAt(weekly, utc, zone);
  const std::string until = schedule::UntilText(now, utc, zone);
  if (until.empty()) {
    return now.on ? "Blocked now, all the week." : std::string(kNoHoursText);
  }
  return (now.on ? "Blocked now, until " : "Free now, until ") + until + ".";
}

}  // namespace

frmSchedule::frmSchedule(ScheduleView& view, Forms& forms, PlatformServices& services)
    : view_(view), forms_(forms), services_(services) {}

void frmSchedule::Form_Load() {
  const schedule::WeeklySchedule& pending = forms_.Main().PendingSchedule();
  for (int day = 0; day < static_cast<int>(kDaysInWeek); ++day) {
    view_.SetDayText(day, DayRangesText(pending, day));
  }
  // The boxes were filled quietly: no change event told the line.
  txtDay_Change();
}

rir::Result<schedule::WeeklySchedule> frmSchedule::Typed() const {
  DayTexts days;
  for (std::size_t day = 0; day < days.size(); ++day) {
    days[day] = view_.DayText(static_cast<int>(day));
  }
  return ReadDays(days);
}

void frmSchedule::txtDay_Change() {
  const auto weekly = Typed();
  view_.SetStateText(weekly ? StateText(*weekly, static_cast<std::int64_t>(std::time(nullptr)))
                            : weekly.error().reason + ".");
}

void frmSchedule::cmdOK_Click() {
  auto weekly = Typed();
  if (!weekly) {
    // The window stays open for the range to be put right.
    ShowMessage(services_, weekly.error().reason + ".", MsgBoxIcon::kCritical);
    return;
  }
  // A lock that refuses the change has told the user; the window stays, its hours as typed.
  if (forms_.Main().ChangeSchedule(std::move(*weekly))) {
    forms_.Unload(FormId::kSchedule);
  }
}

void frmSchedule::cmdCancel_Click() {
  forms_.Unload(FormId::kSchedule);
}

}  // namespace ui
