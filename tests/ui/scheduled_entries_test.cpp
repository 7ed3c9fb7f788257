// Entries blocked on the weekly schedule: the Status column and the hosts file follow the hours,
// the record comes back at the next start, and a lock lets the schedule gain, never lose.
#include <gtest/gtest.h>

#include "hosts_lines.h"
#include "program.h"
#include "ui/main/main_form.h"

namespace {

using testsupport::AllowedLines;
using testsupport::BlockedLines;

schedule::WeeklySchedule AllWeek() {
  schedule::WeeklySchedule week;
  for (int day = 0; day < 7; ++day) {
    week.ranges.push_back({day, 0, schedule::kMinutesPerDay});
  }
  return week;
}

struct Scheduling : fakes::Program {
  Scheduling() {
    WriteHosts("# mine\n" + BlockedLines("a.com") + BlockedLines("b.com"));
    WriteState("[settings]\r\npwd=\r\n");
    StartLoggedIn();
  }
  void StartLoggedIn() {
    Start();
    LogIn("");
  }
  std::string Row(std::size_t row) { return main_view().Rows().at(row); }
  bool HostsHold(const std::string& lines) { return Hosts().find(lines) != std::string::npos; }
};

TEST(ScheduledEntries, FollowTheScheduleInTheListAndTheFile) {
  Scheduling program;
  program.Main().lvwWebsites_SelectionMoved(0);
  program.Main().mmuBlockOnSchedule_Click();
  EXPECT_EQ(program.BoxesWith("The schedule has no hours yet"), 1u);
  EXPECT_EQ(program.Row(0), "a.com\tScheduled (free)");
  program.Main().imgApply_Click();
  EXPECT_TRUE(program.HostsHold(AllowedLines("a.com") + BlockedLines("b.com"))) << program.Hosts();

  ASSERT_TRUE(program.Main().ChangeSchedule(AllWeek()));
  EXPECT_EQ(program.Row(0), "a.com\tScheduled (blocked)");
  program.Main().imgApply_Click();
  EXPECT_TRUE(program.HostsHold(BlockedLines("a.com"))) << program.Hosts();

  // The hosts file cannot say "scheduled": the record beside the program does.
  program.application.reset();
  program.StartLoggedIn();
  EXPECT_EQ(program.Row(0), "a.com\tScheduled (blocked)");
  EXPECT_EQ(program.Row(1), "b.com\tBlocked");
  EXPECT_EQ(program.Main().PendingSchedule(), AllWeek());
}

TEST(ScheduledEntries, UnderALockTheScheduleGainsHoursAndNamesNeverLoses) {
  Scheduling program;
  auto& main = program.Main();
  main.lvwWebsites_SelectionMoved(0);
  main.mmuBlockOnSchedule_Click();
  main.imgApply_Click();
  program.Lock("2 hours");  // b.com, which the file blocks; a.com is off its hours
  ASSERT_EQ(program.BoxesWith("The blocks are locked until"), 1u);

  main.lvwWebsites_SelectionMoved(0);
  main.imgAllow_Click();
  main.mmuRemoveSite_Click();
  EXPECT_EQ(program.BoxesWith("a.com is locked until"), 2u);
  EXPECT_EQ(program.Row(0), "a.com\tScheduled (free)");

  ASSERT_TRUE(main.ChangeSchedule(AllWeek()));
  main.imgApply_Click();
  EXPECT_TRUE(program.HostsHold(BlockedLines("a.com"))) << program.Hosts();
  EXPECT_FALSE(main.ChangeSchedule({}));
  EXPECT_EQ(program.BoxesWith("the schedule may gain hours but not lose them"), 1u);

  // Blocked at all hours is tighter still; the Apply blocked it, so the lock holds it now.
  main.lvwWebsites_SelectionMoved(0);
  main.imgBlock_Click();
  main.imgApply_Click();
  EXPECT_EQ(program.Row(0), "a.com\tBlocked");
  EXPECT_EQ(program.BoxesWith("could not"), 0u);
}

}  // namespace
