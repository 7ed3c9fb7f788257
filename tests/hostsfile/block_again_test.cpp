#include "hostsfile/block_again.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "hosts_lines.h"
#include "hostsfile/folder_watch.h"
#include "hostsfile/keeper_report.h"
#include "temp_folder.h"

namespace hostsfile {
namespace {

using testsupport::AllowedLines;
using testsupport::BlockedLines;

const std::vector<std::string> kBlocked = {"a.example", "b.example", "c.example"};

TEST(BlockAgain, PutsBackOnlyWhatWasTakenAndKeepsEveryOtherLine) {
  const std::string applied = "# theirs\r\n" + BlockedLines("a.example", "\r\n") +
                              BlockedLines("b.example", "\r\n") +
                              BlockedLines("c.example", "\r\n") + "10.0.0.1 nas\r\n";
  EXPECT_FALSE(BlockAgain(applied, kBlocked).has_value());

  // The middle entry taken out, the last commented, a line of theirs added.
  const std::string edited = "# theirs\r\n" + BlockedLines("a.example", "\r\n") +
                             AllowedLines("c.example", "\r\n") + "10.0.0.1 nas\r\n" +
                             "10.0.0.2 printer\r\n";
  const auto again = BlockAgain(edited, kBlocked);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->removed, 1u);
  EXPECT_EQ(again->allowed, 1u);
  EXPECT_EQ(again->text, applied + "10.0.0.2 printer\r\n");
  EXPECT_FALSE(BlockAgain(again->text, kBlocked).has_value());
}

TEST(BlockAgain, RewritesEntriesLeftHalfAndFollowsAFileThatLostThemAll) {
  // Only its IPv4 line, without the alias: the browser still reaches it over IPv6.
  const auto half = BlockAgain("127.0.0.1 \ta.example\n", {"a.example"});
  ASSERT_TRUE(half.has_value());
  EXPECT_EQ(half->partial, 1u);
  EXPECT_EQ(half->text, BlockedLines("a.example"));

  // Reset to the system's default; its last line left open, which the entries do not join.
  const auto reset = BlockAgain("127.0.0.1 localhost\n::1 localhost", kBlocked);
  ASSERT_TRUE(reset.has_value());
  EXPECT_EQ(reset->removed, 3u);
  EXPECT_EQ(reset->text, "127.0.0.1 localhost\n::1 localhost\n" + BlockedLines("a.example") +
                             BlockedLines("b.example") + BlockedLines("c.example"));
}

#ifdef _WIN32
constexpr int kManyEdits = 200;
#else
constexpr int kManyEdits = 10000;  // two notices each: past the kernel's queue of 16,384
#endif

// The notice may come a moment after the write; a generous bound only guards against a hang.
bool NoticedSoon(FolderWatch& watch) {
  for (int tries = 0; tries < 500; ++tries) {
    if (watch.Changed()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(FolderWatch, NoticesAnEditInPlaceAndAReplacedFile) {
  testsupport::TempFolder folder;
  const std::string hosts = folder.File("hosts");
  testsupport::WriteBytes(hosts, "one\n");
  FolderWatch watch(hosts);
  ASSERT_TRUE(watch.watching());
  EXPECT_FALSE(watch.Changed());

  testsupport::WriteBytes(hosts, "two\n");
  EXPECT_TRUE(NoticedSoon(watch));

  testsupport::WriteBytes(folder.File("hosts.new"), "three\n");
  std::filesystem::rename(folder.File("hosts.new"), hosts);
  EXPECT_TRUE(NoticedSoon(watch));

  // Removed, then a loop of edits past what the kernel queues: noticed, and so is the next one.
  std::filesystem::remove(hosts);
  EXPECT_TRUE(NoticedSoon(watch));
  for (int i = 0; i < kManyEdits; ++i) {
    testsupport::WriteBytes(hosts, std::to_string(i));
  }
  EXPECT_TRUE(NoticedSoon(watch));
  for (int drained = 0; drained < 100 && watch.Changed(); ++drained) {
  }
  testsupport::WriteBytes(hosts, "last\n");
  EXPECT_TRUE(NoticedSoon(watch));
}

}  // namespace
}  // namespace hostsfile

// What the keeper tells the program comes back as written; a report whose last name runs into
// its end line is no report (reading it once never ended).
TEST(KeeperReport, ComesBackAsWrittenAndDamageIsNoReport) {
  const hostsfile::KeeperReport report{.count = 2, .removed = 1, .names = {"a.example"}};
  std::string text = hostsfile::EncodeKeeperReport(report);
  EXPECT_EQ(hostsfile::DecodeKeeperReport(text)->names, report.names);
  text.erase(text.rfind("\nend"), 1);
  EXPECT_FALSE(hostsfile::DecodeKeeperReport(text));
}
