// State files whose password a reader might not see: each is read as the Windows calls read it,
// or refused, and never taken for the empty password. The same tests run against the system's
// calls under Wine, so what they expect of the INI reader is what those calls do.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "settings/ini_file.h"
#include "settings/password.h"
#include "settings/state_file.h"
#include "temp_folder.h"

namespace {

using testsupport::ReadBytes;
using testsupport::WriteBytes;

class StateDoubts : public ::testing::Test {
 protected:
  // A hash of "right" with few iterations, to keep the tests quick.
  static std::string Hash() {
    const std::array<unsigned char, 4> salt = {9, 8, 7, 6};
    return settings::HashPasswordWithSalt("right", salt, 10).value();
  }

  void Write(std::string_view text) const { WriteBytes(path_, text); }
  std::string Read(const std::string& key) const {
    return modINIFile::ReadIniValue("settings", key, path_);
  }

  // Whether `attempt` gets in.
  bool Opens(std::string_view attempt) const {
    const auto stored = state_.ReadPassword();
    if (!stored) {
      return false;
    }
    const auto matched = settings::PasswordMatches(attempt, *stored);
    return matched && *matched;
  }

  // The stored password cannot be read for certain, and says so with the file's path.
  void ExpectUnclear() const {
    const auto stored = state_.ReadPassword();
    ASSERT_FALSE(stored) << "read as \"" << *stored << "\"";
    EXPECT_EQ(stored.error().code, rir::ErrorCode::kUnclearPassword);
    EXPECT_EQ(stored.error().path, path_);
  }

  testsupport::TempFolder folder_;
  std::string path_ = folder_.File("state.dll");
  settings::StateFile state_{path_};
};

TEST_F(StateDoubts, CarriageReturnsAloneEndLines) {
  Write("[settings]\rfirstrun=no\rpwd=" + Hash() + "\r");
  EXPECT_EQ(Read("firstrun"), "no");
  EXPECT_TRUE(Opens("right"));
  EXPECT_FALSE(Opens(""));

  Write("[settings]\r\nfirstrun=no\rpwd=mid\r\n");
  EXPECT_EQ(Read("firstrun"), "no");
  EXPECT_EQ(Read("pwd"), "mid");

  // Written into with the file's own line end, and every line still read.
  Write("[settings]\rfirstrun=true\r[other]\rx=1");
  ASSERT_TRUE(state_.StorePassword("right"));
  ASSERT_TRUE(state_.WriteFirstRun("no"));
  EXPECT_EQ(Read("firstrun"), "no");
  EXPECT_EQ(modINIFile::ReadIniValue("other", "x", path_), "1");
  EXPECT_TRUE(Opens("right"));
  EXPECT_FALSE(Opens(""));
}

TEST_F(StateDoubts, AByteOrderMarkBeforeTheFirstSectionIsSkipped) {
  Write("\xEF\xBB\xBF[settings]\r\nfirstrun=no\r\npwd=" + Hash() + "\r\n");
  EXPECT_EQ(Read("firstrun"), "no");
  EXPECT_TRUE(Opens("right"));
  EXPECT_FALSE(Opens(""));

  // A write finds the section after the mark and keeps the mark.
  ASSERT_TRUE(state_.WriteFirstRun("true"));
  EXPECT_EQ(ReadBytes(path_).rfind("\xEF\xBB\xBF[settings]", 0), 0u);
  EXPECT_EQ(Read("firstrun"), "true");
  EXPECT_TRUE(Opens("right"));
}

TEST_F(StateDoubts, AValueEndsAtANul) {
  Write(std::string("[settings]\r\nfirstrun=ab \0cd\r\n", 29));
  EXPECT_EQ(Read("firstrun"), "ab ");
  Write(std::string("[settings]\r\npwd=\0", 17) + Hash() + "\r\n");
  EXPECT_EQ(Read("pwd"), "");
  ExpectUnclear();
}

TEST_F(StateDoubts, APasswordWhereTheCallsDoNotLookIsNoEmptyPassword) {
  const std::string hash = Hash();
  for (const std::string& text : {
           "[settings]\r\nfirstrun=no\r\n[settings]\r\npwd=" + hash + "\r\n",
           "[settings]\r\npwd=\r\n[SETTINGS]\r\npwd=" + hash + "\r\n",
           "pwd=" + hash + "\r\n[settings]\r\nfirstrun=no\r\n",
           "[other]\r\npwd=" + hash + "\r\n[settings]\r\nfirstrun=no\r\n",
           "\xEF\xBB\xBF\xEF\xBB\xBF[settings]\r\npwd=" + hash + "\r\n",
           "[settings\r\npwd=" + hash + "\r\n",
       }) {
    SCOPED_TRACE(text);
    Write(text);
    ExpectUnclear();
    EXPECT_FALSE(Opens(""));
  }
}

TEST_F(StateDoubts, UnicodeTextIsReadAsTheCallsReadItOrRefused) {
  // UTF-16 with its mark: the Windows calls read it; our reader does not, and then refuses.
  std::string wide = "\xFF\xFE";
  for (const char c : "[settings]\r\npwd=" + Hash() + "\r\n") {
    wide += c;
    wide += '\0';
  }
  Write(wide);
  EXPECT_FALSE(Opens(""));
}

TEST_F(StateDoubts, FilesWithNoPasswordOpenWithTheEmptyOneAsBefore) {
  EXPECT_TRUE(Opens("")) << "no file";
  for (const std::string text : {
           "[settings]\r\nfirstrun=true\r\n",
           "[settings]\r\nfirstrun=no\r\npwd=\r\n",
           "[settings]\r\npwd = \"\" \r\n[settings]\r\npwd=\r\n",
           "\xEF\xBB\xBF[settings]\rfirstrun=no\r",
       }) {
    SCOPED_TRACE(text);
    Write(text);
    EXPECT_TRUE(Opens(""));
    EXPECT_FALSE(Opens("anything"));
  }
  // And a password stored there afterwards counts.
  ASSERT_TRUE(state_.StorePassword("right"));
  EXPECT_TRUE(Opens("right"));
  EXPECT_FALSE(Opens(""));
}

}  // namespace
