// The count of wrong passwords that every process checking one shares.
#include "settings/login_record.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "temp_folder.h"

namespace {

using std::chrono::seconds;

std::string Now() {
  return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count());
}

TEST(LoginRecord, FiveWrongPasswordsAreFreeThenEachDoublesTheWaitUpToAQuarterHour) {
  EXPECT_EQ(settings::LoginWaitAfter(4), seconds(0));
  EXPECT_EQ(settings::LoginWaitAfter(6), seconds(2));
  EXPECT_EQ(settings::LoginWaitAfter(14), seconds(512));
  EXPECT_EQ(settings::LoginWaitAfter(4'000'000'000u), seconds(900));
}

TEST(LoginRecord, AWaitNotOverRefusesBeforeTheHashAndTheRightPasswordClearsTheCount) {
  testsupport::TempFolder folder;
  const settings::LoginRecord record(settings::LoginRecordPathIn(folder.path().string()));
  // Written by another process a moment ago: nine in a row, sixteen seconds to wait.
  testsupport::WriteBytes(record.path(), "failures=9\nlast=" + Now() + "\n");
  const auto refused = record.Matches("right", "right");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, rir::ErrorCode::kTooManyWrongPasswords);
  EXPECT_TRUE(refused.error().reason.starts_with("try again in 1")) << refused.error().reason;
  EXPECT_EQ(testsupport::ReadBytes(record.path()).substr(0, 11), "failures=9\n") << "not counted";

  // A record cut short counts as the free failures used up, never as a fresh start.
  testsupport::WriteBytes(record.path(), "failu");
  EXPECT_TRUE(record.BeginAttempt());
  EXPECT_EQ(testsupport::ReadBytes(record.path()).substr(0, 11), "failures=6\n");

  testsupport::WriteBytes(record.path(), "failures=4\nlast=" + Now() + "\n");
  const auto matched = record.Matches("right", "right");
  EXPECT_TRUE(matched && *matched);
  EXPECT_EQ(testsupport::ReadBytes(record.path()), "");
}

}  // namespace
