// Faults injected for real: a disk that fills up part way, a file system that turns read-only,
// a directory or a symbolic link in the hosts file's place. Each gives a clear error or a sound
// result, and the hosts file is always either its old text or its new one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "child_checks.h"
#include "hosts_lines.h"
#include "hostsfile/hosts_store.h"
#include "private_mount.h"
#include "temp_folder.h"

namespace {

using blocklist::BlockList;
using hostsfile::HostsStore;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

std::string ManyEntries(const char* name, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "127.0.0.1 \t" + std::string(name) + std::to_string(i) + ".example\n";
  }
  return text;
}

using testsupport::FilesIn;

// A file with one name is replaced by a new file, which needs room for the new text beside the
// old; one with a second name is rewritten in place behind a journal, which needs room for the
// journal and for the file's growth both.
TEST(HostsFaults, ADiskThatFillsUpLeavesTheOldTextUntilThereIsRoom) {
  for (const bool second_name : {false, true}) {
    SCOPED_TRACE(second_name ? "a file with a second name" : "a file with one name");
    TempFolder folder;
    const std::string disk = folder.File("disk");
    std::filesystem::create_directory(disk);
    const int code = testsupport::InPrivateMounts([&] {
      testsupport::ChildChecks check;
      if (!testsupport::MountSmallDisk(disk, 2 << 20)) {
        return 2;
      }
      const std::string path = disk + "/hosts";
      const std::string old_text = "# kept\n" + ManyEntries("old", 3000);  // about 70 KB
      WriteBytes(path, old_text);
      std::size_t files = 2;  // the file and the filler
      if (second_name) {
        check(::link(path.c_str(), (disk + "/hosts-link").c_str()) == 0, "second name");
        ++files;
      }
      HostsStore store(path);
      BlockList list;
      check(store.Load(list).has_value(), "load");
      for (int i = 0; i < 9000; ++i) {
        (void)list.Append("new" + std::to_string(i) + ".example");
      }
      const std::string new_text = store.BuildText(list);  // about 280 KB

      // No room even for the new text beside the file.
      testsupport::FillUpTo(disk, 64 << 10);
      auto saved = store.Save(new_text);
      check(!saved.has_value(), "a save onto a full disk succeeded");
      check(!saved && saved.error().reason.find("No space left") != std::string::npos,
            "the reason is the full disk");
      check(ReadBytes(path) == old_text, "the old text stays whole");
      check(FilesIn(disk) == files, "nothing is left beside the file");

      // Room for the new text beside the file, but not for that and the file's growth both.
      std::filesystem::remove(disk + "/filler");
      testsupport::FillUpTo(disk, new_text.size() + (96 << 10));
      saved = store.Save(new_text);
      if (second_name) {
        check(!saved.has_value(), "a rewrite that runs out of room part way succeeded");
        check(ReadBytes(path) == old_text, "the old text is back after a rewrite that ran out");
      } else {
        check(saved.has_value(), "a replacement with room for the new file failed");
        check(ReadBytes(path) == new_text, "the new text replaced the old");
      }
      check(FilesIn(disk) == files, "nothing is left beside the file after the rewrite");

      // With room again, the same Apply goes through.
      std::filesystem::remove(disk + "/filler");
      check(store.Save(new_text).has_value(), "a save with room");
      check(ReadBytes(path) == new_text, "the new text, whole");
      if (second_name) {
        check(ReadBytes(disk + "/hosts-link") == new_text, "the second name sees the new text");
      }
      return check.failures();
    });
    SKIP_WITHOUT_PRIVATE_MOUNTS(code);
    EXPECT_EQ(code, 0);
  }
}

TEST(HostsFaults, AFileSystemThatTurnsReadOnlyIsReportedAndLeftAlone) {
  TempFolder folder;
  const std::string disk = folder.File("disk");
  std::filesystem::create_directory(disk);
  const int code = testsupport::InPrivateMounts([&] {
    testsupport::ChildChecks check;
    if (!testsupport::MountSmallDisk(disk, 1 << 20)) {
      return 2;
    }
    const std::string path = disk + "/hosts";
    WriteBytes(path, "127.0.0.1 \ta.example a.example.\n");
    HostsStore store(path);
    BlockList list;
    check(store.Load(list).has_value(), "load");
    (void)list.Append("b.example");
    if (!testsupport::MakeReadOnly(disk)) {
      return 2;
    }
    const auto saved = store.Save(store.BuildText(list));
    check(!saved.has_value(), "a save onto a read-only file system succeeded");
    check(!saved && saved.error().reason.find("Read-only file system") != std::string::npos,
          "the reason is the read-only file system");
    check(!saved && saved.error().path.find(disk) == 0, "the error names the file's folder");
    check(ReadBytes(path) == "127.0.0.1 \ta.example a.example.\n", "the old text stays");
    return check.failures();
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(HostsFaults, ADirectoryInTheHostsFilesPlaceIsReportedAndNeverReplaced) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "127.0.0.1 \ta.example a.example.\n");
  HostsStore store(path);
  BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  // Replaced behind the program's back after it was loaded.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  const auto saved = store.Save(store.BuildText(list));
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().path, path);
  EXPECT_NE(saved.error().reason.find("directory"), std::string::npos) << saved.error().reason;
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(FilesIn(folder.path()), 1u);

  BlockList again;
  EXPECT_FALSE(HostsStore(path).Load(again).has_value()) << "a directory is no empty hosts file";
}

TEST(HostsFaults, ASymbolicLinkStaysALinkAndTheFileItNamesGetsTheText) {
  TempFolder folder;
  const std::string real = folder.File("real-hosts");
  const std::string link = folder.File("hosts");
  WriteBytes(real, "# kept\n" + testsupport::BlockedLines("a.example"));
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  HostsStore store(link);
  BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_EQ(list.size(), 1u);
  (void)list.Append("b.example");
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());

  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "# kept\n" + testsupport::BlockedLines("a.example") +
                                 testsupport::BlockedLines("b.example"));
  EXPECT_EQ(FilesIn(folder.path()), 2u) << "no copy is left beside either name";
}

}  // namespace
