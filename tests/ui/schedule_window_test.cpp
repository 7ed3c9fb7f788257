// The schedule window over the main window's own schedule: the boxes read as the user types them
// (blanks, a comma left at the end), and the hours taken come back sorted as the window writes
// them.
#include <gtest/gtest.h>

#include "program.h"
#include "ui/schedule/schedule_form.h"

namespace {

TEST(ScheduleWindow, ReadsTheBoxesAsTypedAndGivesBackTheHoursTaken) {
  fakes::Program program;
  program.StartOnScreen();
  program.app().Schedule();
  fakes::FakeScheduleView& view = *program.views.schedule;
  view.days.fill("00:00-24:00");
  program.app().Schedule().txtDay_Change();
  EXPECT_EQ(view.state, "Blocked now, all the week.");

  view.days.fill("");
  view.days[0] = " 22:00 - 2:00 ,9:00-17:00, ";
  program.app().Schedule().cmdOK_Click();
  EXPECT_TRUE(program.services.boxes.empty());
  EXPECT_FALSE(program.Loaded(ui::FormId::kSchedule));

  program.app().Schedule();
  EXPECT_EQ(program.views.schedule->days[0], "09:00-17:00, 22:00-02:00");
  EXPECT_EQ(program.views.schedule->days[1], "");
}

}  // namespace
