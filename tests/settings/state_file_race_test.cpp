// Writers of the state file at the same moment: each read, change and write is whole, so no
// writer loses what another has just stored.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "settings/ini_file.h"
#include "settings/password.h"
#include "settings/state_file.h"
#include "temp_folder.h"

namespace {

TEST(StateFileRace, WritersOfDifferentKeysAllLast) {
  testsupport::TempFolder folder;
  const std::string path = folder.File("state.dll");
  constexpr int kWriters = 6;
  constexpr int kKeysEach = 15;
  std::vector<std::thread> writers;
  writers.reserve(kWriters);
  std::atomic<int> failures = 0;
  for (int writer = 0; writer < kWriters; ++writer) {
    writers.emplace_back([&, writer] {
      for (int i = 0; i < kKeysEach; ++i) {
        const std::string key = "k" + std::to_string(writer) + "_" + std::to_string(i);
        if (!modINIFile::WriteIniValue("settings", key, "v" + key, path)) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  EXPECT_EQ(failures, 0);
  int lost = 0;
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int i = 0; i < kKeysEach; ++i) {
      const std::string key = "k" + std::to_string(writer) + "_" + std::to_string(i);
      lost += modINIFile::ReadIniValue("settings", key, path) == "v" + key ? 0 : 1;
    }
  }
  EXPECT_EQ(lost, 0) << "of " << kWriters * kKeysEach << " values";
}

TEST(StateFileRace, AStoredPasswordSurvivesFirstRunWritesMeanwhile) {
  for (int round = 0; round < 3; ++round) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("state.dll");
    const settings::StateFile state(path);
    ASSERT_TRUE(state.WriteFirstRun("true"));
    std::atomic<bool> stored = false;
    std::thread flag_writer([&] {
      // Until the password is stored and once more after, as a second copy starting up would.
      for (bool last = false; !last;) {
        last = stored;
        EXPECT_TRUE(state.WriteFirstRun("no"));
      }
    });
    EXPECT_TRUE(state.StorePassword("new one"));
    stored = true;
    flag_writer.join();

    const auto read = state.ReadPassword();
    ASSERT_TRUE(read);
    const auto matched = settings::PasswordMatches("new one", *read);
    EXPECT_TRUE(matched && *matched) << "round " << round << ": the password was lost";
    EXPECT_EQ(state.ReadFirstRun(), "no") << "round " << round;
  }
}

}  // namespace
