#include "settings/state_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file_permissions.h"
#include "settings/ini_file.h"
#include "settings/password.h"
#include "temp_folder.h"
#include "wine.h"

namespace {

using settings::StateFile;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

bool Opens(const StateFile& state, std::string_view attempt) {
  const auto stored = state.ReadPassword();
  EXPECT_TRUE(stored) << rir::DescribeError(stored.error());
  const auto matched = settings::PasswordMatches(attempt, stored ? *stored : "");
  EXPECT_TRUE(matched);
  return stored && matched && *matched;
}

TEST(StateFile, LiesBesideTheRunningProgram) {
  const StateFile beside;
  const auto path = beside.Path();
  ASSERT_TRUE(path) << rir::DescribeError(path.error());
  const auto folder = settings::ExecutableFolder();
  ASSERT_TRUE(folder);
  EXPECT_EQ(*path, settings::StateFilePathIn(*folder));
#ifdef _WIN32
  EXPECT_EQ(*path, *folder + "\\state.dll");
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(*folder) / "settings_tests.exe"));
#else
  EXPECT_EQ(*path, *folder + "/state.dll");
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(*folder) / "settings_tests"));
#endif
}

TEST(StateFile, WithoutAFileThereIsNoFirstRunAndTheEmptyPasswordOpens) {
  TempFolder folder;
  const StateFile state(folder.File("state.dll"));
  EXPECT_EQ(state.ReadFirstRun(), "");
  EXPECT_TRUE(Opens(state, ""));
  EXPECT_FALSE(Opens(state, "anything"));
}

TEST(StateFile, ReadsTheFlagAsStoredWhateverTheNamesCase) {
  TempFolder folder;
  const StateFile state(folder.File("state.dll"));
  WriteBytes(folder.File("state.dll"), "[SETTINGS]\r\nFirstRun=true\r\n");
  EXPECT_EQ(state.ReadFirstRun(), "true");
  for (const std::string other : {"True", "TRUE", "yes", "no"}) {
    ASSERT_TRUE(state.WriteFirstRun(other));
    EXPECT_EQ(state.ReadFirstRun(), other);
  }
}

TEST(StateFile, ANewPasswordCreatesTheFileWithAHashOnly) {
  TempFolder folder;
  const StateFile state(folder.File("state.dll"));
  ASSERT_TRUE(state.StorePassword(" my secret "));
  const std::string text = ReadBytes(folder.File("state.dll"));
  EXPECT_EQ(text.rfind("[settings]\r\npwd=pbkdf2-sha256$600000$", 0), 0u) << text;
  EXPECT_EQ(text.find("my secret"), std::string::npos);
  EXPECT_TRUE(Opens(state, " my secret "));
  EXPECT_FALSE(Opens(state, "my secret"));
}

TEST(StateFile, AnOldPlainPasswordStillOpens) {
  TempFolder folder;
  const StateFile state(folder.File("state.dll"));
  WriteBytes(folder.File("state.dll"), "[settings]\r\npwd=OldOne\r\nfirstrun=no\r\n");
  EXPECT_TRUE(Opens(state, "OldOne"));
  EXPECT_FALSE(Opens(state, "oldone"));
}

TEST(StateFile, WritesKeepTheOtherLines) {
  TempFolder folder;
  const std::string path = folder.File("state.dll");
  WriteBytes(path, "; kept\r\n[settings]\r\nfirstrun=true\r\nextra = 1\r\n[more]\r\nz=2\r\n");
  const StateFile state(path);
  ASSERT_TRUE(state.WriteFirstRun("no"));
  ASSERT_TRUE(state.StorePassword("p"));
  EXPECT_EQ(modINIFile::ReadIniValue("settings", "extra", path), "1");
  EXPECT_EQ(modINIFile::ReadIniValue("more", "z", path), "2");
  EXPECT_EQ(state.ReadFirstRun(), "no");
  EXPECT_TRUE(Opens(state, "p"));
  if (testsupport::RunningUnderWine()) {
    return;  // Wine writes the whole file anew (see the INI file tests)
  }
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.rfind("; kept\r\n[settings]\r\nfirstrun=no\r\nextra = 1\r\npwd=", 0), 0u) << text;
  EXPECT_NE(text.find("\r\n[more]\r\nz=2\r\n"), std::string::npos) << text;
}

TEST(StateFile, AFileThatCannotBeReadIsNoEmptyPassword) {
  TempFolder folder;
  const std::string path = folder.File("state.dll");
  WriteBytes(path, "[settings]\r\nfirstrun=no\r\n");
  const StateFile state(path);
  testsupport::UnreadableFile unreadable(path);
  const auto stored = state.ReadPassword();
  ASSERT_FALSE(stored);
  EXPECT_EQ(stored.error().path, path);
  EXPECT_EQ(state.ReadFirstRun(), "") << "an unreadable flag is an ordinary start";
}

TEST(StateFile, AFolderInTheStateFilesPlaceIsNoEmptyPassword) {
  TempFolder folder;
  const std::string path = folder.File("state.dll");
  std::filesystem::create_directory(folder.path() / "state.dll");
  EXPECT_FALSE(StateFile(path).ReadPassword());
}

TEST(StateFile, AFailedWriteIsReported) {
  TempFolder folder;
  const std::string path = folder.File("state.dll");
#ifdef _WIN32
  // A folder's read-only attribute does not stop Windows from creating files in it; a file
  // another program holds open without sharing stops any write.
  WriteBytes(path, "[settings]\r\nfirstrun=true\r\n");
  testsupport::UnreadableFile locked(path);
#else
  testsupport::ReadOnlyFolder locked(folder.path().string());
#endif
  const StateFile state(path);
  EXPECT_FALSE(state.StorePassword("p"));
  EXPECT_FALSE(state.WriteFirstRun("no"));
}

}  // namespace

namespace {

// Bytes that are no text at all: NULs, high bytes, lone CRs, no line structure.
std::string NotText() {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) {
    bytes += static_cast<char>((i * 73 + 11) % 256);
  }
  return bytes;
}

}  // namespace

TEST(StateFileFaults, AFileThatIsNoTextReadsAsNoValueAndKeepsItsBytesAcrossAWrite) {
  testsupport::TempFolder folder;
  const std::string path = folder.File("state.dll");
  const std::string garbage = NotText();
  testsupport::WriteBytes(path, garbage);
  const settings::StateFile state(path);
  EXPECT_NE(state.ReadFirstRun(), "true");
  ASSERT_TRUE(state.StorePassword("Open Sesame").has_value());
  const auto stored = state.ReadPassword();
  ASSERT_TRUE(stored.has_value());
  const auto right = settings::PasswordMatches("Open Sesame", *stored);
  const auto empty = settings::PasswordMatches("", *stored);
  ASSERT_TRUE(right.has_value() && empty.has_value());
  EXPECT_TRUE(*right);
  EXPECT_FALSE(*empty);
#ifndef _WIN32
  // Written as the Windows call writes it: the old bytes stay, the section goes at the end.
  EXPECT_EQ(testsupport::ReadBytes(path).substr(0, garbage.size()), garbage);
#endif
}
