// The weekly schedule: when it is on, when it next changes in real zones across the changes to
// and from summer time, and its record. Zones and moments are given; the real clock is never read.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <utility>

#include "schedule/boundary.h"
#include "schedule/schedule_record.h"

namespace {

using schedule::Now;
constexpr int kMon = 0;
constexpr int kFri = 4;
constexpr int kSat = 5;
constexpr int kSun = 6;

int At(int hour, int minute) {
  return hour * 60 + minute;
}

std::int64_t Utc(int year, unsigned month, unsigned day, int hour, int minute) {
  using namespace std::chrono;
  const sys_seconds at =
      sys_days(std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day)) +
      hours(hour) + minutes(minute);
  return at.time_since_epoch().count();
}

schedule::WeeklySchedule Parsed(std::initializer_list<std::pair<int, const char*>> ranges) {
  schedule::WeeklySchedule parsed;
  for (const auto& [day, text] : ranges) {
    parsed.ranges.push_back(*schedule::ParseRange(text, day));
  }
  return parsed;
}

// Whether the system's zone is `name` (winter and summer offsets as given), set through TZ and
// left so: no test reads the zone the machine has. Windows takes its zone from the system alone,
// not TZ; Wine's is that of TZ where it starts.
bool InZone([[maybe_unused]] const char* name, std::int64_t winter, std::int64_t summer) {
#ifndef _WIN32
  setenv("TZ", name, 1);
#endif
  const schedule::SystemZone zone;
  return zone.OffsetAt(Utc(2026, 1, 1, 12, 0)) == winter &&
         zone.OffsetAt(Utc(2026, 7, 1, 12, 0)) == summer;
}

std::string Until(const schedule::WeeklySchedule& weekly, std::int64_t utc,
                  const schedule::Zone& zone) {
  return schedule::UntilText(schedule::StateAt(weekly, utc, zone), utc, zone);
}

TEST(WeeklySchedule, RangesRunPastMidnightAndTheWeekWraps) {
  const auto weekly = Parsed({{kFri, "22:00-02:00"}, {kSun, "23:00-01:00"}});
  EXPECT_FALSE(schedule::OnAt(weekly, kFri, At(21, 59)));
  EXPECT_TRUE(schedule::OnAt(weekly, kFri, At(22, 0)));
  EXPECT_TRUE(schedule::OnAt(weekly, kSat, At(1, 30)));
  EXPECT_FALSE(schedule::OnAt(weekly, kSat, At(2, 0)));
  EXPECT_TRUE(schedule::OnAt(weekly, kSun, At(23, 59)));
  EXPECT_TRUE(schedule::OnAt(weekly, kMon, At(0, 30)));
  EXPECT_FALSE(schedule::OnAt(weekly, kMon, At(1, 0)));
}

TEST(WeeklySchedule, ReadsRangesAndRefusesBadText) {
  EXPECT_EQ(*schedule::ParseRange("22:00 - 02:00", kFri), (schedule::Range{kFri, 1320, 1560}));
  for (const auto& [typed, shown] : {std::pair{"9:00-17:00", "09:00-17:00"},
                                     {"22:00-02:00", "22:00-02:00"},
                                     {"00:00-24:00", "00:00-24:00"},
                                     {"00:00-00:00", "00:00-24:00"},
                                     {"09:00-09:00", "09:00-09:00"}}) {
    EXPECT_EQ(schedule::RangeText(*schedule::ParseRange(typed, kMon)), shown) << typed;
  }
  for (const char* bad : {"", "22:00", "9-17", "25:00-02:00", "9:60-10:00", "24:00-02:00",
                          "ab:cd-10:00", "9:00-17:00x", "9:00--10:00", "+9:00-10:00"}) {
    const auto refused = schedule::ParseRange(bad, kMon);
    ASSERT_FALSE(refused) << bad;
    EXPECT_EQ(refused.error().code, rir::ErrorCode::kInvalidText);
    EXPECT_FALSE(refused.error().reason.empty());
  }
  EXPECT_FALSE(schedule::ParseRange("09:00-17:00", 7));
}

TEST(WeeklySchedule, CoversWhatGainsHoursNeverWhatLosesThem) {
  const auto weekly = Parsed({{kFri, "22:00-02:00"}, {kSun, "23:00-01:00"}});
  const auto wider = Parsed(
      {{kFri, "20:00-24:00"}, {kSat, "00:00-03:00"}, {kSun, "22:00-24:00"}, {kMon, "00:00-01:00"}});
  EXPECT_TRUE(schedule::Covers(weekly, weekly));
  EXPECT_TRUE(schedule::Covers(wider, weekly));
  EXPECT_FALSE(schedule::Covers(weekly, wider));
  EXPECT_FALSE(schedule::Covers(Parsed({{kFri, "22:00-01:59"}, {kSun, "23:00-01:00"}}), weekly));
  EXPECT_TRUE(schedule::Covers(weekly, {}));
  EXPECT_FALSE(schedule::Covers({}, weekly));
}

TEST(StateAt, ChangesAtEachBoundaryAndAcrossTheWeek) {
  const schedule::FixedZone zone(3600);  // Monday 2026-12-07 to Monday 2026-12-14
  const auto weekly = Parsed({{kMon, "09:00-17:00"}, {kSun, "23:00-01:00"}});
  const std::int64_t mon = Utc(2026, 12, 7, 9, 0);
  EXPECT_EQ(schedule::StateAt(weekly, mon, zone), (Now{true, Utc(2026, 12, 7, 16, 0)}));
  EXPECT_EQ(Until(weekly, mon, zone), "17:00");
  const std::int64_t evening = Utc(2026, 12, 7, 16, 0);
  EXPECT_EQ(schedule::StateAt(weekly, evening, zone), (Now{false, Utc(2026, 12, 13, 22, 0)}));
  EXPECT_EQ(Until(weekly, evening, zone), "Sun 23:00");
  const std::int64_t sunday = Utc(2026, 12, 13, 22, 30);
  EXPECT_EQ(schedule::StateAt(weekly, sunday, zone), (Now{true, Utc(2026, 12, 14, 0, 0)}));
  EXPECT_EQ(Until(weekly, sunday, zone), "Mon 01:00");
  EXPECT_EQ(schedule::StateAt({}, mon, zone), (Now{false, std::nullopt}));
  schedule::WeeklySchedule noon_to_noon;
  for (int day = kMon; day <= kSun; ++day) {
    noon_to_noon.ranges.push_back(*schedule::ParseRange("12:00-12:00", day));
  }
  EXPECT_EQ(schedule::StateAt(noon_to_noon, mon, zone), (Now{true, std::nullopt}));
  EXPECT_EQ(schedule::UntilText(Now{true, std::nullopt}, mon, zone), "");
}

TEST(StateAt, SpringForwardMovesAChangeInTheLostHourToItsEnd) {
  // Berlin, Sunday 2026-03-29: 02:00 CET is 03:00 CEST, at 01:00 UTC.
  if (!InZone("Europe/Berlin", 3600, 7200)) {
    GTEST_SKIP() << "the system's zone is not "
                 << "Europe/Berlin";
  }
  const schedule::SystemZone zone;
  const auto weekly = Parsed({{kSat, "22:00-02:30"}, {kSun, "02:40-02:50"}, {kSun, "10:00-11:00"}});
  const std::int64_t early = Utc(2026, 3, 29, 0, 30);
  EXPECT_EQ(schedule::StateAt(weekly, early, zone), (Now{true, Utc(2026, 3, 29, 1, 0)}));
  EXPECT_EQ(Until(weekly, early, zone), "03:00");
  // 02:40-02:50 never comes that day; 10:00 is in summer time.
  EXPECT_EQ(schedule::StateAt(weekly, Utc(2026, 3, 29, 1, 0), zone),
            (Now{false, Utc(2026, 3, 29, 8, 0)}));
  EXPECT_EQ(schedule::StateAt(weekly, Utc(2026, 4, 5, 0, 30), zone),
            (Now{false, Utc(2026, 4, 5, 0, 40)}));
}

TEST(StateAt, SpringForwardInNewYorkToo) {
  // New York, Sunday 2026-03-08: 02:00 EST is 03:00 EDT, at 07:00 UTC.
  if (!InZone("America/New_York", -18000, -14400)) {
    GTEST_SKIP() << "the system's zone is not "
                 << "America/New_York";
  }
  const schedule::SystemZone zone;
  const auto weekly = Parsed({{kSun, "02:30-04:00"}});
  EXPECT_EQ(schedule::StateAt(weekly, Utc(2026, 3, 8, 6, 59), zone),
            (Now{false, Utc(2026, 3, 8, 7, 0)}));
  EXPECT_EQ(schedule::StateAt(weekly, Utc(2026, 3, 8, 7, 0), zone),
            (Now{true, Utc(2026, 3, 8, 8, 0)}));
}

TEST(StateAt, FallBackChangesAtTheFirstShowingOfTheRepeatedHourOnly) {
  // Berlin, Sunday 2026-10-25: 03:00 CEST is 02:00 CET, at 01:00 UTC.
  if (!InZone("Europe/Berlin", 3600, 7200)) {
    GTEST_SKIP() << "the system's zone is not "
                 << "Europe/Berlin";
  }
  const schedule::SystemZone zone;
  const auto ending = Parsed({{kSun, "01:00-02:30"}});
  EXPECT_EQ(schedule::StateAt(ending, Utc(2026, 10, 25, 0, 0), zone),
            (Now{true, Utc(2026, 10, 25, 0, 30)}));
  // 02:15 CET, shown a second time: the range ended and is not on again.
  const std::int64_t again = Utc(2026, 10, 25, 1, 15);
  EXPECT_EQ(schedule::StateAt(ending, again, zone), (Now{false, Utc(2026, 11, 1, 0, 0)}));
  EXPECT_EQ(Until(ending, again, zone), "Sun 01:00");
  const auto starting = Parsed({{kSun, "02:45-04:00"}});
  EXPECT_EQ(schedule::StateAt(starting, Utc(2026, 10, 25, 0, 30), zone),
            (Now{false, Utc(2026, 10, 25, 0, 45)}));
  // 02:15 CET: on since the first 02:45, through the repeated hour, to 04:00 CET.
  EXPECT_EQ(schedule::StateAt(starting, again, zone), (Now{true, Utc(2026, 10, 25, 3, 0)}));
}

TEST(ScheduleRecord, ComesBackWholeAndNamesTheDamagedFile) {
  const auto weekly = Parsed({{kMon, "00:00-24:00"}, {kFri, "22:00-02:00"}, {kSun, "09:00-09:00"}});
  const std::string text = schedule::EncodeSchedule(weekly, {"b.example", "a.example"});
  const std::string path = "/var/lib/x/schedule";
  const auto back = schedule::DecodeSchedule(text, path);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, (schedule::ScheduleRecord{weekly, {"a.example", "b.example"}}));
  auto bad_range = text;
  bad_range.replace(bad_range.find("22:00"), 5, "22:70");
  for (const std::string& damaged :
       {text.substr(0, text.size() - 1), text.substr(0, text.size() / 2), bad_range,
        text.substr(0, text.size() - 5) + "end\n", "x" + text}) {
    const auto refused = schedule::DecodeSchedule(damaged, path);
    ASSERT_FALSE(refused) << damaged;
    EXPECT_EQ(refused.error().code, rir::ErrorCode::kDamagedScheduleRecord);
    EXPECT_NE(rir::DescribeError(refused.error()).find(path), std::string::npos);
  }
}

}  // namespace
