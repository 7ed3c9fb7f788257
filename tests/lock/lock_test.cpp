// The lock counts time that really passed, keeps its names through damage, and refuses what
// loosens it. Clocks are given, never waited for.
#include <gtest/gtest.h>

#include <ctime>

#include "lock/lock_length.h"
#include "lock/system_lock.h"
#include "temp_folder.h"

namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kDay = std::int64_t{24} * 60 * kMinute;
constexpr std::string_view kBlocked =
    "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n"
    "127.0.0.1 \tb.example b.example.\n::1 \tb.example b.example.\n";

lock::Clocks At(std::string boot, std::int64_t since_boot, std::int64_t wall) {
  return lock::Clocks{std::move(boot), since_boot, wall};
}

TEST(LockTime, CountsTheBootClockNeverTheWallClock) {
  const auto start = At("boot-1", 1000, 1'800'000'000);
  const lock::LockTimes ten = lock::StartTimes(10 * kMinute, false, start);
  // The wall clock a day forward, then a day back: only the boot clock's 9 minutes count.
  auto times = lock::Advance(ten, At("boot-1", 1000 + 4 * kMinute, start.wall + kDay));
  times = lock::Advance(times, At("boot-1", 1000 + 9 * kMinute, start.wall - kDay));
  EXPECT_EQ(times.left, kMinute);
  EXPECT_FALSE(times.Ended());
  times = lock::Advance(times, At("boot-1", 1000 + 10 * kMinute, start.wall - kDay));
  EXPECT_TRUE(times.Ended());
}

TEST(LockTime, CountsTheTimeOffByTheWallClockWithinBounds) {
  const auto start = At("boot-1", 5000, 1'800'000'000);
  const lock::LockTimes day = lock::StartTimes(kDay, false, start);
  // Off for two hours, on for ten minutes since.
  auto times = lock::Advance(day, At("boot-2", 10 * kMinute, start.wall + 130 * kMinute));
  EXPECT_EQ(times.left, kDay - 130 * kMinute);
  // A clock set back before the start: the time on still counts, the gap nothing.
  times = lock::Advance(day, At("boot-2", 10 * kMinute, start.wall - kDay));
  EXPECT_EQ(times.left, kDay - 10 * kMinute);
  // 30 days ahead: an ordinary lock ends; one that counts only time on keeps what it had.
  times = lock::Advance(day, At("boot-2", kMinute, start.wall + 30 * kDay));
  EXPECT_TRUE(times.Ended());
  const lock::LockTimes only_on = lock::StartTimes(kDay, true, start);
  times = lock::Advance(only_on, At("boot-2", kMinute, start.wall + 30 * kDay));
  EXPECT_EQ(times.left, kDay - kMinute);
  // Without a boot id, a boot clock that started again tells the restart.
  const lock::LockTimes no_id = lock::StartTimes(kDay, true, At("", 5000, start.wall));
  EXPECT_EQ(lock::Advance(no_id, At("", 100, start.wall)).left, kDay - 100);
  EXPECT_EQ(lock::Advance(no_id, At("", 5100, start.wall)).left, kDay - 100);
}

TEST(LockTime, RealBootClockRunsAheadInATimeNamespace) {
  const lock::Clocks now = lock::ReadClocks();
#ifndef _WIN32
  EXPECT_FALSE(
      now.boot_id.empty());  // Wine keeps no boot count: a restart is then told by the clock
#endif
  EXPECT_GT(now.since_boot, 0);
  EXPECT_NEAR(static_cast<double>(now.wall), static_cast<double>(std::time(nullptr)), 2.0);
  const char* ahead = std::getenv("RIR_BOOTTIME_AHEAD");
  if (ahead != nullptr) {
    // Run by the test command inside `unshare --time --boottime`: the lock's clock moved, the
    // wall clock did not.
    EXPECT_GE(now.since_boot, std::atoll(ahead));
  }
}

class LockStoreTest : public ::testing::Test {
 protected:
  testsupport::TempFolder folder_;
  lock::LockStore store_{folder_.path().string()};
  std::string hosts_ = folder_.File("hosts");
  lock::Clocks start_ = At("boot-1", 1000, 1'800'000'000);

  void SetUp() override { testsupport::WriteBytes(hosts_, kBlocked); }
};

TEST_F(LockStoreTest, KeepsTheNamesBlockedAtItsStartAndEndsWithNothingWritten) {
  auto made = lock::StartLock(store_, hosts_, 10 * kMinute, false, start_);
  ASSERT_TRUE(made) << rir::DescribeError(made.error());
  EXPECT_EQ(made->names, (std::vector<std::string>{"a.example", "b.example"}));
  auto read = store_.Read(At("boot-1", 1000 + 3 * kMinute, start_.wall));
  ASSERT_TRUE(read && *read);
  EXPECT_EQ((*read)->times.left, 7 * kMinute);
  // The checkpoint was kept: a restart three minutes after it counts them off.
  read = store_.Read(At("boot-2", 0, start_.wall + 3 * kMinute));
  ASSERT_TRUE(read && *read);
  EXPECT_EQ((*read)->times.left, 4 * kMinute);
  read = store_.Read(At("boot-2", 4 * kMinute, start_.wall));
  ASSERT_TRUE(read);
  EXPECT_FALSE(*read);
  EXPECT_EQ(testsupport::ReadBytes(hosts_), kBlocked);
  EXPECT_FALSE(lock::LockStore::Exists(folder_.path().string()));
}

TEST_F(LockStoreTest, RefusesWhatLoosensItAndLocksWhatIsBlockedDuringIt) {
  ASSERT_TRUE(lock::StartLock(store_, hosts_, kDay, true, start_));
  const std::string allowed_b =
      "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n"
      "#127.0.0.1 \tb.example b.example.\n#::1 \tb.example b.example.\n";
  auto refused = lock::CheckSave(store_, hosts_, allowed_b, start_);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, rir::ErrorCode::kLocked);
  EXPECT_NE(refused.error().reason.find("b.example stays blocked until"), std::string::npos);
  // Shorter is refused; longer keeps the names, and counting only time on.
  EXPECT_FALSE(lock::StartLock(store_, hosts_, kDay - kMinute, false, start_));
  const std::string more = std::string(kBlocked) +
                           "127.0.0.1 \tc.example c.example.\n"
                           "::1 \tc.example c.example.\n";
  ASSERT_TRUE(lock::CheckSave(store_, hosts_, more, start_));
  ASSERT_TRUE(lock::AfterSave(store_, more, start_));
  auto longer = lock::StartLock(store_, hosts_, 2 * kDay, false, start_);
  ASSERT_TRUE(longer);
  EXPECT_TRUE(longer->times.count_only_on);
  EXPECT_TRUE(lock::Holds(*longer, "c.example"));
  EXPECT_FALSE(lock::CheckSave(store_, hosts_, kBlocked, start_));
}

// The keeper puts back what the record holds: it holds the save's names before the file changes,
// and the names before again when the save does not happen.
TEST_F(LockStoreTest, TheRecordChangesBeforeTheFileAndOnlyWithIt) {
  const std::string folder = folder_.path().string();
  ASSERT_TRUE(lock::SaveRecorded(folder, hosts_, kBlocked, {}, {}));
  const std::string only_b = "127.0.0.1 \tb.example b.example.\n::1 \tb.example b.example.\n";
  std::vector<std::string> recorded_at_commit;
  hostsfile::SaveChecks checks;
  checks.before_commit = [&](const std::optional<hostsfile::FileStamp>&) -> rir::Result<void> {
    recorded_at_commit = *lock::ReadApplied(folder);
    return rir::Error{rir::ErrorCode::kChangedSinceLoad, hosts_, {}};
  };
  EXPECT_FALSE(lock::SaveRecorded(folder, hosts_, only_b, {}, checks));
  EXPECT_EQ(recorded_at_commit, std::vector<std::string>{"b.example"});
  EXPECT_EQ(*lock::ReadApplied(folder), (std::vector<std::string>{"a.example", "b.example"}));
  EXPECT_EQ(testsupport::ReadBytes(hosts_), kBlocked);
}

TEST_F(LockStoreTest, DamageIsNoUnlock) {
  ASSERT_TRUE(lock::StartLock(store_, hosts_, 10 * kMinute, false, start_));
  for (const std::string_view damage : {"rir-avadera-lock 1\nleft=", "", "junk"}) {
    SCOPED_TRACE(damage);
    testsupport::WriteBytes(store_.TimesPath(), damage);
    const auto read = store_.Read(start_);
    if (damage.empty()) {
      // Clocks gone, names left: damage too.
      ASSERT_FALSE(read);
    }
    auto mended = lock::CurrentLock(store_, hosts_, start_);
    ASSERT_TRUE(mended && *mended);
    EXPECT_TRUE((*mended)->recovered);
    EXPECT_EQ((*mended)->times.left, lock::kLongestLockSeconds);
    EXPECT_EQ((*mended)->names.size(), 2U);
  }
  // A names file whose last name runs into its end line is damage, not a name without end.
  EXPECT_EQ(lock::DecodeNames("rir-avadera-lock-names 1\naend\n", "n").error().code,
            rir::ErrorCode::kDamagedLockRecord);
}

TEST(LockLength, ReadsLengthsAndEnds) {
  const std::int64_t now = 1'800'000'000;
  EXPECT_EQ(*lock::ParseLockLength("90 minutes", now), 90 * kMinute);
  EXPECT_EQ(*lock::ParseLockLength("1 day, 12 hours", now), kDay + 12 * kDay / 24);
  EXPECT_EQ(*lock::ParseLockLength("3d", now), 3 * kDay);
  EXPECT_EQ(*lock::ParseLockLength("30 days", now), lock::kLongestLockSeconds);
  for (const std::string_view refused :
       {"", "31 days", "0 hours", "2 weeks", "hours", "2", "-1 h", "2020-01-01 10:00", "25:00"}) {
    EXPECT_FALSE(lock::ParseLockLength(refused, now)) << refused;
  }
  // An end of the day: the next time the clock shows it, within a day.
  const auto until = lock::ParseLockLength("17:00", now);
  ASSERT_TRUE(until);
  EXPECT_GT(*until, 0);
  EXPECT_LE(*until, kDay + 3600);
  EXPECT_EQ(lock::ShownLength(kDay + std::int64_t{3} * 3600 + 59), "1 day 3 hours");
}

}  // namespace
