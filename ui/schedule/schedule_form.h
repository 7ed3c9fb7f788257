// The schedule window's logic: the weekly hours in which the Scheduled entries are blocked, a
// box of ranges a day. As the user types, a line tells what the boxes give now or what is wrong
// with the first bad range; OK hands the schedule to the main window, which the next Apply
// writes, and the window unloads.
#pragma once

#include "rir/result.h"
#include "schedule/weekly.h"
#include "ui/common/forms.h"
#include "ui/common/platform_services.h"
#include "ui/schedule/day_ranges.h"
#include "ui/schedule/schedule_view.h"

namespace ui {

class frmSchedule {
 public:
  frmSchedule(ScheduleView& view, Forms& forms, PlatformServices& services);
  frmSchedule(const frmSchedule&) = delete;
  frmSchedule& operator=(const frmSchedule&) = delete;

  ScheduleView& view() { return view_; }

  void Form_Load();
  // Any day's box changed.
  void txtDay_Change();
  void cmdOK_Click();
  void cmdCancel_Click();

 private:
  rir::Result<schedule::WeeklySchedule> Typed() const;

  ScheduleView& view_;
  Forms& forms_;
  PlatformServices& services_;
};

}  // namespace ui
