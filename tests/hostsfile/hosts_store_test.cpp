#include "hostsfile/hosts_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file_permissions.h"
#include "hosts_lines.h"
#include "temp_folder.h"
#include "wine.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hostsfile {
namespace {

using testsupport::FilesIn;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// Loads the file as the main window does and applies the unchanged list.
rir::Result<void> LoadAndApply(const std::string& path) {
  HostsStore store(path);
  blocklist::BlockList list;
  if (auto loaded = store.Load(list); !loaded) {
    return loaded;
  }
  if (auto saved = store.Save(store.BuildText(list)); !saved) {
    return saved.error();
  }
  return {};
}

class HostsStoreSamples : public testing::TestWithParam<const char*> {};

TEST_P(HostsStoreSamples, ApplyWithoutChangeGivesTheSameBytes) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string original = testsupport::DataFile(GetParam());
  WriteBytes(path, original);
  ASSERT_TRUE(LoadAndApply(path).has_value());
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_EQ(FilesIn(folder.path()), 1u) << "the temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Samples, HostsStoreSamples,
                         testing::Values("windows-default.hosts", "debian-default.hosts",
                                         "program-written.hosts"));

TEST(HostsStore, DefaultSamplesHoldNoEntries) {
  for (const char* name : {"windows-default.hosts", "debian-default.hosts"}) {
    blocklist::BlockList list;
    ParseHosts(testsupport::DataFile(name), list);
    EXPECT_TRUE(list.empty()) << name;
  }
}

TEST(HostsStore, FileWrittenByTheProgramLoadsItsEntries) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, testsupport::DataFile("program-written.hosts"));
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list.at(0).website, "facebook.com");
  EXPECT_EQ(list.at(2).website, "wikipedia.org");
  EXPECT_EQ(list.at(2).status, blocklist::Status::kAllowed);
  EXPECT_EQ(list.at(3).website, "caf\xE9-cr\xE8me.example");
  EXPECT_EQ(list.at(4).website, "youtube.com");
}

TEST(HostsStore, EditsReachTheFileAndReadBack) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, testsupport::DataFile("program-written.hosts"));
  {
    HostsStore store(path);
    blocklist::BlockList list;
    ASSERT_TRUE(store.Load(list).has_value());
    list.Select(0);
    list.RemoveSelected();
    list.SetStatus(0, blocklist::Status::kAllowed);
    ASSERT_TRUE(list.Append("example.com").has_value());
    ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  }
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list.at(0).website, "www.facebook.com");
  EXPECT_EQ(list.at(0).status, blocklist::Status::kAllowed);
  EXPECT_EQ(list.at(4).website, "example.com");
  const std::string text = ReadBytes(path);
  EXPECT_NE(text.find("::1             localhost\r\n"), std::string::npos);
  EXPECT_NE(text.find("192.168.1.20    nas.home.lan   # the NAS\r\n"), std::string::npos);
  EXPECT_NE(text.find(testsupport::BlockedLines("youtube.com", "\r\n") +
                      testsupport::BlockedLines("example.com", "\r\n")),
            std::string::npos);
}

TEST(HostsStore, PublishedHostsFilesComeBackByteForByte) {
  for (const char* name : {"windows-user-merged.hosts", "public-blocklist.hosts"}) {
    TempFolder folder;
    const std::string path = folder.File("hosts");
    const std::string original = testsupport::DataFile(std::string("published/") + name);
    ASSERT_GT(original.size(), 1'000'000u) << name << " is missing or cut short";
    WriteBytes(path, original);
    ASSERT_TRUE(LoadAndApply(path).has_value()) << name;
    EXPECT_TRUE(ReadBytes(path) == original) << name << " changed";
  }
}

TEST(HostsStore, MissingFileLoadsEmptyAndTheFirstSaveCreatesIt) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  EXPECT_TRUE(list.empty());
  ASSERT_TRUE(list.Append("example.com").has_value());
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  const std::string eol(LineEndText(PlatformLineEnd()));
  EXPECT_EQ(ReadBytes(path), testsupport::BlockedLines("example.com", eol));
  EXPECT_EQ(FilesIn(folder.path()), 1u);
}

TEST(HostsStore, ClearAllThenApplyKeepsForeignLinesOnly) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "127.0.0.1 localhost\n127.0.0.1 \ta a.\n#127.0.0.1 \tb b.\n");
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  list.Clear();
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  EXPECT_EQ(ReadBytes(path), "127.0.0.1 localhost\n");
}

TEST(HostsStore, AMillionEntryFileLoadsEditsAndSaves) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  std::string text = "::1 localhost\n";
  for (int i = 0; i < 1'000'000; ++i) {
    text += "127.0.0.1 \tsite" + std::to_string(i) + ".example\n";
  }
  WriteBytes(path, text);
  {
    HostsStore store(path);
    blocklist::BlockList list;
    ASSERT_TRUE(store.Load(list).has_value());
    ASSERT_EQ(list.size(), 1'000'000u);
    list.SetStatus(999'999, blocklist::Status::kAllowed);
    list.Remove(0);
    ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  }
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_EQ(list.size(), 999'999u);
  EXPECT_EQ(list.at(0).website, "site1.example");
  EXPECT_EQ(list.at(999'998).status, blocklist::Status::kAllowed);
}

// Failures: the error names the path and the system's reason, and the file is as it was.

void ExpectNamesPathAndReason(const rir::Error& error, const std::string& path) {
  EXPECT_EQ(error.path, path);
  EXPECT_FALSE(error.reason.empty());
  const std::string described = rir::DescribeError(error);
  EXPECT_NE(described.find(path), std::string::npos) << described;
  EXPECT_NE(described.find(error.reason), std::string::npos) << described;
}

TEST(HostsStoreFailure, MissingFolderLoadsEmptyButCannotBeSaved) {
  TempFolder folder;
  const std::string path = (folder.path() / "no-such-folder" / "hosts").string();
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_TRUE(list.Append("example.com").has_value());
  auto saved = store.Save(store.BuildText(list));
  ASSERT_FALSE(saved.has_value());
  ExpectNamesPathAndReason(saved.error(), path);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "no-such-folder"));
}

TEST(HostsStoreFailure, ReadOnlyFileIsLeftAsItWas) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string original = "# mine\r\n127.0.0.1 \ta a.\r\n";
  WriteBytes(path, original);
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  list.Clear();
  {
    testsupport::ReadOnlyFile read_only(path);
    auto saved = store.Save(store.BuildText(list));
    ASSERT_FALSE(saved.has_value());
    ExpectNamesPathAndReason(saved.error(), path);
  }
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_EQ(FilesIn(folder.path()), 1u);
}

TEST(HostsStore, AnApplyWithoutChangeWritesNothingAndSaysSo) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "# kept\r\n" + testsupport::BlockedLines("a", "\r\n"));
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  {
    // Any write would fail on a file that may not be written.
    testsupport::ReadOnlyFile read_only(path);
    auto saved = store.Save(store.BuildText(list));
    ASSERT_TRUE(saved.has_value()) << rir::DescribeError(saved.error());
    EXPECT_FALSE(saved->changed);
  }
  list.SetStatus(0, blocklist::Status::kAllowed);
  auto saved = store.Save(store.BuildText(list));
  ASSERT_TRUE(saved.has_value());
  EXPECT_TRUE(saved->changed);
  EXPECT_EQ(ReadBytes(path), "# kept\r\n" + testsupport::AllowedLines("a", "\r\n"));
}

#ifndef _WIN32
TEST(HostsStoreFailure, ReadOnlyFolderIsLeftAsItWas) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string original = "127.0.0.1 \ta a.\n";
  WriteBytes(path, original);
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_TRUE(list.Append("b").has_value());
  {
    testsupport::ReadOnlyFolder read_only(folder.path().string());
    auto saved = store.Save(store.BuildText(list));
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error().code, rir::ErrorCode::kCreateTemporary);
    ExpectNamesPathAndReason(saved.error(), path);
  }
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_EQ(FilesIn(folder.path()), 1u);
}

TEST(HostsStoreIdentity, SaveRewritesTheSameFileInPlace) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string link = folder.File("hosts-link");
  WriteBytes(path, "# old\n" + testsupport::BlockedLines("a"));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);

  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  list.SetStatus(0, blocklist::Status::kAllowed);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());

  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  // A second name of the same file (as a bind mount would be) sees the new text.
  EXPECT_EQ(ReadBytes(link), "# old\n" + testsupport::AllowedLines("a"));
}

TEST(HostsStoreIdentity, TheSameTextIsNotWrittenAgain) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "# kept\n" + testsupport::BlockedLines("a"));
  // A modification time long past shows whether the file was written.
  const timespec long_ago[2] = {{946684800, 0}, {946684800, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), long_ago, 0), 0);
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());

  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  struct stat unchanged {};
  ASSERT_EQ(::stat(path.c_str(), &unchanged), 0);
  EXPECT_EQ(unchanged.st_mtim.tv_sec, 946684800);

  list.SetStatus(0, blocklist::Status::kAllowed);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  struct stat written {};
  ASSERT_EQ(::stat(path.c_str(), &written), 0);
  EXPECT_NE(written.st_mtim.tv_sec, 946684800);
  EXPECT_EQ(ReadBytes(path), "# kept\n" + testsupport::AllowedLines("a"));
  EXPECT_EQ(FilesIn(folder.path()), 1u) << "no copy is left beside the file";
}

TEST(HostsStoreIdentity, ShorterTextLeavesNoTailOfTheOld) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path,
             testsupport::BlockedLines("a-long-name.example") + testsupport::BlockedLines("b"));
  HostsStore store(path);
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  list.Remove(0);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  EXPECT_EQ(ReadBytes(path), testsupport::BlockedLines("b"));
}
#else
TEST(HostsStoreIdentity, SaveKeepsTheFilesAttributes) {
  if (testsupport::RunningUnderWine()) {
    GTEST_SKIP() << "Wine's ReplaceFile does not carry the replaced file's attributes over; "
                    "Windows' does";
  }
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "127.0.0.1 \ta a.\r\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(LoadAndApply(path).has_value());
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

TEST(HostsStoreFailure, UnreadableFileIsReportedAndNeverOverwritten) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string original = "::1 localhost\n127.0.0.1 \ta a.\n";
  WriteBytes(path, original);
  HostsStore store(path);
  blocklist::BlockList list;
  {
    testsupport::UnreadableFile unreadable(path);
    auto loaded = store.Load(list);
    ASSERT_FALSE(loaded.has_value());
    EXPECT_EQ(loaded.error().code, rir::ErrorCode::kOpenForReading);
    ExpectNamesPathAndReason(loaded.error(), path);
  }
  EXPECT_TRUE(list.empty());
  // The file can be written now, but what the list holds is not what the file held.
  auto saved = store.Save(store.BuildText(list));
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().code, rir::ErrorCode::kRefusedAfterFailedLoad);
  ExpectNamesPathAndReason(saved.error(), path);
  EXPECT_EQ(ReadBytes(path), original);
}

}  // namespace
}  // namespace hostsfile
