// How a save replaces the hosts file: a new file renamed over it that is the same file to anyone
// who looks (owner, mode, attributes); a rewrite in place, behind a journal, where a rename
// cannot replace it; and the next load finishing a rewrite that a crash cut short.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "child_checks.h"
#include "file_permissions.h"
#include "hosts_lines.h"
#include "hostsfile/hosts_history.h"
#include "hostsfile/hosts_store.h"
#include "private_mount.h"
#include "temp_folder.h"

namespace {

using blocklist::BlockList;
using blocklist::Status;
using hostsfile::HostsStore;
using testsupport::FilesIn;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

struct stat StatusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status;
}

// Loads the file and applies it with every entry allowed.
rir::Result<hostsfile::SaveOutcome> AllowAll(HostsStore& store) {
  BlockList list;
  if (auto loaded = store.Load(list); !loaded) {
    return loaded.error();
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    list.SetStatus(i, Status::kAllowed);
  }
  return store.Save(store.BuildText(list));
}

TEST(HostsReplace, ANewFileTakesTheOldOnesPlaceWithItsOwnerModeAndAttributes) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "# mine\n" + testsupport::BlockedLines("a"));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
  }
  const bool attributes = ::setxattr(path.c_str(), "user.origin", "kept", 4, 0) == 0;
  const struct stat before = StatusOf(path);

  HostsStore store(path);
  auto saved = AllowAll(store);
  ASSERT_TRUE(saved.has_value()) << rir::DescribeError(saved.error());
  EXPECT_TRUE(saved->changed);

  EXPECT_EQ(ReadBytes(path), "# mine\n" + testsupport::AllowedLines("a"));
  const struct stat after = StatusOf(path);
  EXPECT_NE(after.st_ino, before.st_ino) << "a reader sees the old file or the new one";
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  if (attributes) {
    char value[16] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }
  EXPECT_EQ(FilesIn(folder.path()), 1u) << "nothing is left beside the file";
}

TEST(HostsReplace, ABindMountedFileIsRewrittenInPlaceAndNoJournalStays) {
  TempFolder folder;
  const std::string outside = folder.File("outside");
  const std::string etc = folder.File("etc");
  std::filesystem::create_directories(outside);
  std::filesystem::create_directories(etc);
  const int code = testsupport::InPrivateMounts([&] {
    testsupport::ChildChecks check;
    const std::string source = outside + "/hosts";
    const std::string path = etc + "/hosts";
    WriteBytes(source, "# the container's\n" + testsupport::BlockedLines("a"));
    WriteBytes(path, "");
    if (!testsupport::BindFile(source, path)) {
      return 2;
    }
    HostsStore store(path);
    auto saved = AllowAll(store);
    check(saved.has_value(), "a save onto a bind-mounted file");
    check(ReadBytes(path) == "# the container's\n" + testsupport::AllowedLines("a"),
          "the new text, there");
    check(ReadBytes(source) == ReadBytes(path), "the mounted file itself got it");
    check(FilesIn(etc) == 1, "no journal or new file is left beside the mount");
    check(FilesIn(outside) == 1, "nothing is left beside the mounted file");
    return check.failures();
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(HostsReplace, TheNextLoadFinishesARewriteFromItsJournal) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string new_text = "# kept\n#127.0.0.1 \ta a.\n127.0.0.1 \tb b.\n";
  // What a crash part way through an in-place rewrite leaves: a torn file, a complete journal.
  WriteBytes(path, "# kept\n#127.0.0.1 \ta a.\n127.0.0.1 \ta a.\n127.0.0.1 \tc c.\n");
  WriteBytes(path + ".rir-journal", new_text);
  // And what saves cut short earlier left half made.
  WriteBytes(path + ".rir-new.Ab12Cd", "half");
  WriteBytes(path + ".rir-journal.Xy34Zw", "half");
  // Files of other names, or folders, are not the program's own.
  WriteBytes(path + ".rir-new.backup-1", "mine");
  WriteBytes(path + ".bak", "mine");
  std::filesystem::create_directory(path + ".rir-new.ABCDEF");

  HostsStore store(path);
  BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_TRUE(store.finished_save().has_value());
  EXPECT_EQ(store.finished_save()->journal, path + ".rir-journal");
  EXPECT_EQ(store.finished_save()->bytes, new_text.size());
  EXPECT_EQ(ReadBytes(path), new_text);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].status, Status::kAllowed);
  EXPECT_EQ(list[1].website, "b");

  EXPECT_FALSE(std::filesystem::exists(path + ".rir-journal"));
  EXPECT_FALSE(std::filesystem::exists(path + ".rir-new.Ab12Cd"));
  EXPECT_FALSE(std::filesystem::exists(path + ".rir-journal.Xy34Zw"));
  EXPECT_TRUE(std::filesystem::exists(path + ".rir-new.backup-1"));
  EXPECT_TRUE(std::filesystem::exists(path + ".bak"));
  EXPECT_TRUE(std::filesystem::is_directory(path + ".rir-new.ABCDEF"));

  BlockList again;
  HostsStore later(path);
  ASSERT_TRUE(later.Load(again).has_value());
  EXPECT_FALSE(later.finished_save().has_value()) << "a finished journal is gone";
}

TEST(HostsReplace, AJournalThatCannotBeFinishedStopsTheLoadAndEverySave) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string torn = "127.0.0.1 \ta a.\n127.0.0.1 \tb b.";
  WriteBytes(path, torn);
  WriteBytes(path + ".rir-journal", "127.0.0.1 \ta a.\n");
  HostsStore store(path);
  BlockList list;
  {
    testsupport::ReadOnlyFile read_only(path);
    auto loaded = store.Load(list);
    ASSERT_FALSE(loaded.has_value());
    EXPECT_NE(rir::DescribeError(loaded.error()).find(path), std::string::npos);
  }
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(store.Save("127.0.0.1 \tz z.\n").has_value()) << "a torn file is not written over";
  EXPECT_EQ(ReadBytes(path), torn);
  EXPECT_TRUE(std::filesystem::exists(path + ".rir-journal")) << "kept for the next start";
}

// Another program writes the file while the save keeps its earlier text.
TEST(HostsReplace, AnEditMadeWhileASaveIsUnderWayIsNeverLost) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "# first\n");
  std::vector<std::string> kept;
  const auto keep_while_edited = [&](const std::string& from) {
    kept.push_back(ReadBytes(from));
    if (kept.size() == 1) {
      WriteBytes(path, "# another program's\n");
    }
    return rir::Result<void>{};
  };
  ASSERT_TRUE(hostsfile::ReplaceHostsFile(path, "# mine\n", keep_while_edited).has_value());
  EXPECT_EQ(ReadBytes(path), "# mine\n");
  EXPECT_EQ(kept, (std::vector<std::string>{"# first\n", "# another program's\n"}));

  // A save that must find the file as it was loaded leaves the other program's text.
  kept.clear();
  auto loaded = hostsfile::StampOf(path);
  ASSERT_TRUE(loaded.has_value());
  auto refused = hostsfile::ReplaceHostsFile(path, "# mine again\n", keep_while_edited,
                                             hostsfile::SaveChecks{*loaded, {}});
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().code, rir::ErrorCode::kChangedSinceLoad);
  EXPECT_EQ(ReadBytes(path), "# another program's\n");
}

TEST(HostsReplace, AHistoryCopyIsNoMoreReadableThanTheFile) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "# only its owner reads this\n");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  const hostsfile::HostsHistory history(folder.File("history"));
  ASSERT_TRUE(history.Keep(path).has_value());
  auto copies = history.List();
  ASSERT_TRUE(copies.has_value());
  ASSERT_EQ(copies->size(), 1u);
  EXPECT_EQ(StatusOf(copies->front().path).st_mode & 07777, 0600u);
}

}  // namespace
