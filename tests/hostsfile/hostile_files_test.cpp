// Hosts files that are no hosts file a person wrote: something that is not a file at all in its
// place, one far too large, one in an encoding the program does not write. Each is refused at
// once with its reason, and left exactly as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "hosts_lines.h"
#include "hostsfile/hosts_store.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

using blocklist::BlockList;
using hostsfile::HostsStore;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// A load that must fail with `code`, after which an Apply must refuse to write the file.
void ExpectRefused(const std::string& path, rir::ErrorCode code) {
  HostsStore store(path);
  BlockList list;
  const auto loaded = store.Load(list);
  ASSERT_FALSE(loaded.has_value());
  EXPECT_EQ(loaded.error().code, code) << rir::DescribeError(loaded.error());
  EXPECT_EQ(loaded.error().path, path);
  EXPECT_TRUE(list.empty());
  const auto saved = store.Save("127.0.0.1 \tnew.example new.example.\r\n");
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error().code, rir::ErrorCode::kRefusedAfterFailedLoad);
}

TEST(HostsHostileFiles, AUtf16FileIsRefusedAndKeepsEveryByte) {
  TempFolder folder;
  const std::string little = folder.File("hosts-le");
  const std::string big = folder.File("hosts-be");
  const std::string le_text(
      "\xFF\xFE"
      "1\0"
      "2\0"
      "7\0"
      ".\0"
      "0\0"
      ".\0"
      "0\0"
      ".\0"
      "1\0"
      " \0"
      "a\0"
      "\r\0"
      "\n\0",
      28);
  const std::string be_text(
      "\xFE\xFF"
      "\0"
      "#"
      "\0"
      " "
      "\0"
      "x"
      "\0"
      "\n",
      10);
  WriteBytes(little, le_text);
  WriteBytes(big, be_text);
  ExpectRefused(little, rir::ErrorCode::kUtf16Text);
  ExpectRefused(big, rir::ErrorCode::kUtf16Text);
  EXPECT_EQ(ReadBytes(little), le_text);
  EXPECT_EQ(ReadBytes(big), be_text);

  // A UTF-8 mark is 8-bit text like any other, and comes back byte for byte.
  const std::string utf8 = folder.File("hosts-utf8");
  const std::string utf8_text =
      "\xEF\xBB\xBF# mine\r\n" + testsupport::BlockedLines("a.example", "\r\n");
  WriteBytes(utf8, utf8_text);
  HostsStore store(utf8);
  BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  EXPECT_EQ(list.size(), 1u);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  EXPECT_EQ(ReadBytes(utf8), utf8_text);
}

TEST(HostsHostileFiles, AFilePastTwoGigabytesIsRefusedWithoutReadingIt) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, "127.0.0.1 \ta.example a.example.\n");
  // Sparse: it costs the disk nothing, and reading it whole would take 3 GB of memory.
  std::filesystem::resize_file(path, std::uintmax_t{3} << 30);
  ExpectRefused(path, rir::ErrorCode::kTooLarge);
  EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t{3} << 30);
}

// Another program (a second block list tool, an administrator's editor) writes the hosts file
// while the list is open. Its lines must never vanish under an Apply built on the older text.
TEST(HostsChangedElsewhere, AnEditAfterTheLoadIsNeverWrittenOver) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  const std::string loaded_text = "# mine\r\n" + testsupport::BlockedLines("a.example", "\r\n");
  const auto edit_and_apply = [&](const std::function<void()>& edit) {
    WriteBytes(path, loaded_text);
    HostsStore store(path);
    BlockList list;
    EXPECT_TRUE(store.Load(list).has_value());
    (void)list.Append("b.example");
    edit();
    std::string edited = ReadBytes(path);
    const auto saved = store.Save(store.BuildText(list));
    EXPECT_FALSE(saved.has_value());
    if (!saved) {
      EXPECT_EQ(saved.error().code, rir::ErrorCode::kChangedSinceLoad);
      EXPECT_EQ(saved.error().path, path);
    }
    EXPECT_EQ(ReadBytes(path), edited);
    return edited;
  };
  // A line appended.
  edit_and_apply([&] { WriteBytes(path, loaded_text + "10.0.0.1 nas\r\n"); });
  // The same size, and a new modification time.
  edit_and_apply([&] {
    const auto when = std::filesystem::last_write_time(path);
    WriteBytes(path, "# mine\r\n127.0.0.1 \tz.example z.example.\r\n");
    std::filesystem::last_write_time(path, when + std::chrono::seconds(2));
  });
  // Another file renamed over it, its time set back to the old one's.
  edit_and_apply([&] {
    const auto when = std::filesystem::last_write_time(path);
    const std::string other = folder.File("other");
    WriteBytes(other, "# mine\r\n127.0.0.1 \tz.example z.example.\r\n");
    std::filesystem::last_write_time(other, when);
    std::filesystem::rename(other, path);
  });

  // Loaded again, the list holds the other program's line in its place, and Applies follow one
  // another as before.
  const std::string edited =
      edit_and_apply([&] { WriteBytes(path, loaded_text + "10.0.0.1 nas\r\n"); });
  HostsStore store(path);
  BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  (void)list.Append("b.example");
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  list.SetStatus(0, blocklist::Status::kAllowed);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  EXPECT_EQ(ReadBytes(path), "# mine\r\n" + testsupport::AllowedLines("a.example", "\r\n") +
                                 "10.0.0.1 nas\r\n" +
                                 testsupport::BlockedLines("b.example", "\r\n"));
}

TEST(HostsChangedElsewhere, ARemovedFileIsMadeAnewAndARestoreWritesOverAnEdit) {
  TempFolder folder;
  const std::string path = folder.File("hosts");
  WriteBytes(path, testsupport::BlockedLines("a.example"));
  HostsStore store(path);
  BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  std::filesystem::remove(path);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  EXPECT_EQ(ReadBytes(path), testsupport::BlockedLines("a.example"));

  WriteBytes(path, "10.0.0.1 nas\n");
  EXPECT_FALSE(store.Save("127.0.0.1 \told.example old.example.\n").has_value());
  ASSERT_TRUE(
      store.Save("127.0.0.1 \told.example old.example.\n", hostsfile::ChangedElsewhere::kWriteOver)
          .has_value());
  EXPECT_EQ(ReadBytes(path), "127.0.0.1 \told.example old.example.\n");
}

#ifndef _WIN32

// Runs `load` in a child process that may take at most a minute and 4 GB of memory, so that
// a load which hangs or reads without end fails the test rather than stopping the suite.
void ExpectPromptFailure(const std::function<bool()>& load) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
#ifndef __SANITIZE_ADDRESS__
    const rlimit memory{rlim_t{4} << 30, rlim_t{4} << 30};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    ::alarm(60);
    ::_exit(load() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_FALSE(WIFSIGNALED(status)) << "the load was ended by signal " << WTERMSIG(status)
                                    << (WTERMSIG(status) == SIGALRM ? " (it hung)" : "");
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the load did not fail as it should";
}

bool LoadFailsAsNotAFile(const std::string& path) {
  HostsStore store(path);
  BlockList list;
  const auto loaded = store.Load(list);
  return !loaded && loaded.error().code == rir::ErrorCode::kNotRegularFile &&
         !store.Save("127.0.0.1 \tnew.example new.example.\n");
}

TEST(HostsHostileFiles, WhatIsNoFileInTheHostsFilesPlaceIsRefusedAtOnce) {
  TempFolder folder;
  const std::string pipe = folder.File("hosts-pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  ExpectPromptFailure([&] { return LoadFailsAsNotAFile(pipe); });
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));

  const std::string endless = folder.File("hosts-zero");
  ASSERT_EQ(::symlink("/dev/zero", endless.c_str()), 0);
  ExpectPromptFailure([&] { return LoadFailsAsNotAFile(endless); });
  EXPECT_TRUE(std::filesystem::is_symlink(endless));

  // A save left unfinished is finished from its journal; a pipe under the journal's name is
  // no journal, and must not hold up the load.
  const std::string hosts = folder.File("hosts");
  WriteBytes(hosts, "127.0.0.1 \ta.example a.example.\n");
  const std::string journal = hosts + ".rir-journal";
  ASSERT_EQ(::mkfifo(journal.c_str(), 0600), 0);
  ExpectPromptFailure([&] {
    HostsStore store(hosts);
    BlockList list;
    const auto loaded = store.Load(list);
    return !loaded && loaded.error().code == rir::ErrorCode::kNotRegularFile &&
           loaded.error().path == journal;
  });
  EXPECT_EQ(ReadBytes(hosts), "127.0.0.1 \ta.example a.example.\n");
}

#endif

}  // namespace
