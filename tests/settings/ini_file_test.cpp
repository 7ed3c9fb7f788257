// One suite for both INI implementations: our own on Linux, the system's calls on Windows (run
// under Wine). Where Wine strays from what Windows documents, the test says so.
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "file_permissions.h"
#include "temp_folder.h"
#include "wine.h"

namespace {

using modINIFile::ReadIniValue;
using modINIFile::WriteIniValue;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

class IniFileTest : public ::testing::Test {
 protected:
  std::string Write(std::string_view text) {
    WriteBytes(path_, text);
    return path_;
  }
  std::string Read(const std::string& section, const std::string& key) {
    return ReadIniValue(section, key, path_);
  }

  TempFolder folder_;
  std::string path_ = folder_.File("state.dll");
};

TEST_F(IniFileTest, ReadsValuesAsTheWindowsCallsDo) {
  Write(
      "; written by hand\r\n"
      "\r\n"
      "[other]\r\n"
      "pwd=not this one\r\n"
      "\r\n"
      "  [ Settings ]  \r\n"
      "\tPWD  =  \"  quoted secret \"  \r\n"
      "firstrun=true\r\n"
      "firstrun=second\r\n"
      "equals=a=b = c\r\n"
      "single='x'\r\n"
      "mixed=\"x'\r\n"
      "lonequote=\"\r\n"
      "empty=\r\n"
      "nokey\r\n");
  EXPECT_EQ(Read("settings", "pwd"), "  quoted secret ");
  EXPECT_EQ(Read("SETTINGS", "FirstRun"), "true") << "the first of two keys counts";
  EXPECT_EQ(Read("settings", "equals"), "a=b = c");
  EXPECT_EQ(Read("settings", "single"), "x");
  EXPECT_EQ(Read("settings", "mixed"), "\"x'");
  EXPECT_EQ(Read("settings", "lonequote"), "\"");
  EXPECT_EQ(Read("settings", "empty"), "");
  EXPECT_EQ(Read("settings", "nokey"), "");
  EXPECT_EQ(Read("settings", "missing"), "");
  EXPECT_EQ(Read("missing", "pwd"), "");
  EXPECT_EQ(Read("other", "pwd"), "not this one");
}

TEST_F(IniFileTest, ReadsLfFilesWithoutAFinalLineEnd) {
  Write("[settings]\nfirstrun=no\npwd=last");
  EXPECT_EQ(Read("settings", "firstrun"), "no");
  EXPECT_EQ(Read("settings", "pwd"), "last");
}

TEST_F(IniFileTest, OnlyTheFirstOfTwoSectionsOfOneNameCounts) {
  Write("[settings]\r\nfirstrun=no\r\n[SETTINGS]\r\npwd=hidden\r\nfirstrun=true\r\n");
  EXPECT_EQ(Read("settings", "pwd"), "");
  EXPECT_EQ(Read("settings", "firstrun"), "no");
}

TEST_F(IniFileTest, CutsLongValuesTo254Characters) {
  const std::string long_value(300, 'x');
  ASSERT_TRUE(WriteIniValue("settings", "pwd", long_value, path_));
  EXPECT_NE(ReadBytes(path_).find(long_value), std::string::npos) << "written whole";
  EXPECT_EQ(Read("settings", "pwd"), long_value.substr(0, 254));
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedByAWrite) {
  EXPECT_EQ(Read("settings", "pwd"), "");
  ASSERT_TRUE(WriteIniValue("settings", "pwd", "abc", path_));
  EXPECT_EQ(ReadBytes(path_), "[settings]\r\npwd=abc\r\n");
}

TEST_F(IniFileTest, WritesKeepEveryOtherLine) {
  Write(
      "; top comment\r\n"
      "\r\n"
      "[Other]\r\n"
      "x = 1\r\n"
      "\r\n"
      "[SETTINGS]\r\n"
      "PWD = old\r\n"
      "firstrun=true\r\n"
      "\r\n"
      "[tail]\r\n"
      "z=9");
  ASSERT_TRUE(WriteIniValue("settings", "pwd", "new", path_));
  ASSERT_TRUE(WriteIniValue("settings", "added", "v", path_));
  ASSERT_TRUE(WriteIniValue("fresh", "k", "v", path_));

  EXPECT_EQ(Read("settings", "pwd"), "new");
  EXPECT_EQ(Read("settings", "added"), "v");
  EXPECT_EQ(Read("settings", "firstrun"), "true");
  EXPECT_EQ(Read("fresh", "k"), "v");
  EXPECT_EQ(Read("other", "x"), "1");
  EXPECT_EQ(Read("tail", "z"), "9");
  if (testsupport::RunningUnderWine()) {
    // Wine writes the whole file anew: blank lines dropped, "x = 1" becomes "x=1". Windows
    // keeps the lines it does not change, and so do we.
    return;
  }
  EXPECT_EQ(ReadBytes(path_),
            "; top comment\r\n"
            "\r\n"
            "[Other]\r\n"
            "x = 1\r\n"
            "\r\n"
            "[SETTINGS]\r\n"
            "PWD=new\r\n"
            "firstrun=true\r\n"
            "added=v\r\n"
            "\r\n"
            "[tail]\r\n"
            "z=9\r\n"
            "[fresh]\r\n"
            "k=v\r\n");
}

TEST_F(IniFileTest, WritesIntoLfFilesWithTheirOwnLineEnd) {
  Write("[settings]\nfirstrun=true");
  ASSERT_TRUE(WriteIniValue("settings", "pwd", "p", path_));
  EXPECT_EQ(Read("settings", "firstrun"), "true");
  EXPECT_EQ(Read("settings", "pwd"), "p");
  if (!testsupport::RunningUnderWine()) {  // Wine turns every line end into CR LF
    EXPECT_EQ(ReadBytes(path_), "[settings]\nfirstrun=true\npwd=p\n");
  }
}

TEST_F(IniFileTest, ValuesComeBackWithoutOuterBlanksAndQuotes) {
  ASSERT_TRUE(WriteIniValue("settings", "a", "  padded  ", path_));
  ASSERT_TRUE(WriteIniValue("settings", "b", "'quoted'", path_));
  EXPECT_EQ(Read("settings", "a"), "padded");
  EXPECT_EQ(Read("settings", "b"), "quoted");
}

TEST_F(IniFileTest, NamesWithBlanksAroundThemAreTheNamesWithout) {
  ASSERT_TRUE(WriteIniValue(" settings\t", "\fpwd ", "x", path_));
  EXPECT_EQ(Read("settings", "pwd"), "x");
  EXPECT_EQ(Read("  settings", "pwd  "), "x");
  ASSERT_TRUE(WriteIniValue("settings", "pwd", "y", path_));
  EXPECT_EQ(Read(" settings ", " pwd"), "y") << "one key, not two";
}

#ifndef _WIN32
TEST_F(IniFileTest, ALoneCarriageReturnAtTheEndEndsTheLine) {
  Write("[settings]\r\nfirstrun=no\r");
  ASSERT_TRUE(WriteIniValue("settings", "pwd", "x", path_));
  EXPECT_EQ(Read("settings", "pwd"), "x");
  EXPECT_EQ(Read("settings", "firstrun"), "no");
}
#endif

TEST_F(IniFileTest, RefusesLineBreaksAndNulThatWouldAddLines) {
  const std::string before = Write("[settings]\r\npwd=old\r\n");
  const std::string original = ReadBytes(before);
  for (const std::string& bad :
       {std::string("1\r\nfirstrun=true"), std::string("1\nx"), std::string("a\0b", 3)}) {
    const auto value_written = WriteIniValue("settings", "pwd", bad, path_);
    ASSERT_FALSE(value_written);
    EXPECT_EQ(value_written.error().code, rir::ErrorCode::kInvalidText);
    EXPECT_FALSE(WriteIniValue("settings", bad, "v", path_));
    EXPECT_FALSE(WriteIniValue(bad, "pwd", "v", path_));
  }
  EXPECT_EQ(ReadBytes(path_), original);
}

TEST_F(IniFileTest, ReportsAFailedWriteAndLeavesTheFileAsItWas) {
  Write("[settings]\r\npwd=old\r\n");
  {
#ifdef _WIN32
    // Held open, unshared, by another program. (Wine, running as root here, writes through a
    // read-only attribute, which Windows would not.)
    testsupport::UnreadableFile locked(path_);
#else
    testsupport::ReadOnlyFile locked(path_);
#endif
    const auto written = WriteIniValue("settings", "pwd", "new", path_);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().path, path_);
  }
  EXPECT_EQ(Read("settings", "pwd"), "old");
  EXPECT_FALSE(WriteIniValue("settings", "pwd", "x", folder_.File("no such folder/state.dll")));
}

}  // namespace
