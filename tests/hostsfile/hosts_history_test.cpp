// The hosts file's history on real folders: numbering, pruning, listing, reading back, the
// entry count against the parser, and the folders and files that cannot be made or read.
#include "hostsfile/hosts_history.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "file_permissions.h"
#include "hosts_lines.h"
#include "hostsfile/hosts_format.h"
#include "temp_folder.h"

namespace hostsfile {
namespace {

using testsupport::FilesIn;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// A hosts file and its history, both in a fresh folder.
struct Fixture {
  TempFolder temp;
  std::string hosts = temp.File("hosts");
  std::string folder = temp.File("history");
  HostsHistory history{folder};

  // Writes `text` as the hosts file and keeps it.
  void Keep(std::string_view text) const {
    WriteBytes(hosts, text);
    auto kept = history.Keep(hosts);
    ASSERT_TRUE(kept.has_value()) << rir::DescribeError(kept.error());
  }
  std::vector<KeptCopy> List() const {
    auto listed = history.List();
    EXPECT_TRUE(listed.has_value()) << rir::DescribeError(listed.error());
    return listed ? *listed : std::vector<KeptCopy>{};
  }
  std::vector<std::uint64_t> Numbers() const {
    std::vector<std::uint64_t> numbers;
    for (const KeptCopy& copy : List()) {
      numbers.push_back(copy.number);
    }
    return numbers;
  }
};

std::tuple<int, int, int, int, int, int> Fields(const KeptTime& at) {
  return {at.year, at.month, at.day, at.hour, at.minute, at.second};
}

KeptTime LocalNow(int seconds_later) {
  const std::time_t now = std::time(nullptr) + seconds_later;
  const std::tm local = *std::localtime(&now);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

TEST(HostsHistory, KeepsNumberedCopiesAndListsThemNewestFirst) {
  Fixture f;
  const KeptTime before = LocalNow(-2);
  f.Keep("# theirs\r\n127.0.0.1 \ta.com a.com.\r\n");
  f.Keep("127.0.0.1 \ta.com a.com.\r\n#127.0.0.1 \tb.com b.com.\r\n127.0.0.1 \tc.com c.com.");
  f.Keep("");
  const KeptTime after = LocalNow(2);

  const std::vector<KeptCopy> copies = f.List();
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies[0].number, 3u);
  EXPECT_EQ(copies[1].number, 2u);
  EXPECT_EQ(copies[2].number, 1u);
  EXPECT_EQ(std::filesystem::path(copies[2].path).filename().string(), "000001.hosts");

  EXPECT_EQ(copies[0].size, 0u);
  EXPECT_EQ(copies[0].entries, 0u);
  EXPECT_EQ(copies[1].size, 74u);
  EXPECT_EQ(copies[1].entries, 3u);
  EXPECT_EQ(copies[2].size, 35u);
  EXPECT_EQ(copies[2].entries, 1u) << "the comment is not ours";

  for (const KeptCopy& copy : copies) {
    EXPECT_LE(Fields(before), Fields(copy.kept_at));
    EXPECT_LE(Fields(copy.kept_at), Fields(after));
  }
  auto read = f.history.Read(copies[1]);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read,
            "127.0.0.1 \ta.com a.com.\r\n#127.0.0.1 \tb.com b.com.\r\n127.0.0.1 \tc.com c.com.");
  EXPECT_EQ(FilesIn(f.folder), 3u) << "no temporary file is left behind";
}

// The restore chooser shows how many entries a copy holds: an entry's pair of lines counts once,
// either line alone once, and lines that do not pair count apart.
TEST(HostsHistory, AnEntrysPairOfLinesCountsOnce) {
  Fixture f;
  f.Keep("# theirs\r\n::1 localhost\r\n" + testsupport::BlockedLines("a.com", "\r\n") +
         testsupport::AllowedLines("b.com", "\r\n") +
         "127.0.0.1 \tc.com c.com.\r\n::1 \tc.com c.com.");
  f.Keep(
      "::1 \ta.com a.com.\n127.0.0.1 \tb.com b.com.\n#::1 \tb.com b.com.\n127.0.0.1 \tc.com "
      "c.com.\n::1 \td.com d.com.\n");
  const std::vector<KeptCopy> copies = f.List();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[1].entries, 3u);
  EXPECT_EQ(copies[0].entries, 5u) << "a lone line, two of another status, two of another name";
}

TEST(HostsHistory, MakesTheFolderAndItsParentsAndKeepsNothingWithoutAHostsFile) {
  Fixture f;
  const HostsHistory deep(f.temp.File("var") + "/lib/history");
  ASSERT_TRUE(deep.List().has_value()) << "a folder not yet made lists no copies";
  EXPECT_TRUE(deep.List()->empty());

  ASSERT_TRUE(deep.Keep(f.hosts).has_value());  // no hosts file yet
  EXPECT_TRUE(std::filesystem::is_directory(deep.folder()));
  EXPECT_TRUE(deep.List()->empty());

  WriteBytes(f.hosts, "127.0.0.1 \tx.com x.com.\n");
  ASSERT_TRUE(deep.Keep(f.hosts).has_value());
  ASSERT_EQ(deep.List()->size(), 1u);
  EXPECT_EQ(deep.List()->front().number, 1u);
}

TEST(HostsHistory, PruningLeavesTheNewestTwentyAndTheFirst) {
  Fixture f;
  for (int i = 1; i <= 25; ++i) {
    f.Keep("127.0.0.1 \tsite" + std::to_string(i) + ".com\n");
  }
  std::vector<std::uint64_t> expected;
  for (std::uint64_t n = 25; n >= 6; --n) {
    expected.push_back(n);
  }
  expected.push_back(1);
  EXPECT_EQ(f.Numbers(), expected);
  EXPECT_EQ(FilesIn(f.folder), 21u);

  const std::vector<KeptCopy> copies = f.List();
  EXPECT_EQ(*f.history.Read(copies.back()), "127.0.0.1 \tsite1.com\n") << "the first stays";
  EXPECT_EQ(*f.history.Read(copies.front()), "127.0.0.1 \tsite25.com\n");

  // Numbers go on growing after a prune; the first copy still stays.
  f.Keep("next\n");
  EXPECT_EQ(f.Numbers().front(), 26u);
  EXPECT_EQ(f.Numbers().back(), 1u);
  EXPECT_EQ(f.Numbers().size(), 21u);
}

TEST(HostsHistory, NumbersOnlyGrowAndOnlyWholeCopiesCount) {
  Fixture f;
  f.Keep("one\n");
  f.Keep("two\n");
  f.Keep("three\n");
  std::filesystem::remove(f.folder + "/000003.hosts");
  std::filesystem::remove(f.folder + "/000001.hosts");
  // What a crash part way through a copy leaves, and files that are none of ours.
  WriteBytes(f.folder + "/000009.hosts.partial", "127.0.0.1 \thalf half.");
  WriteBytes(f.folder + "/notes.txt", "mine");
  WriteBytes(f.folder + "/x1.hosts", "");
  WriteBytes(f.folder + "/000000.hosts", "");
  std::filesystem::create_directory(f.folder + "/000050.hosts");

  EXPECT_EQ(f.Numbers(), (std::vector<std::uint64_t>{2}));
  f.Keep("four\n");
  EXPECT_EQ(f.Numbers(), (std::vector<std::uint64_t>{3, 2}));
  EXPECT_EQ(*f.history.Read(f.List().front()), "four\n");
}

TEST(HostsHistory, AFolderThatCannotBeMadeIsAnErrorWithItsPath) {
  Fixture f;
  WriteBytes(f.folder, "a file where the folder belongs");
  WriteBytes(f.hosts, "127.0.0.1 \ta.com a.com.\n");
  auto kept = f.history.Keep(f.hosts);
  ASSERT_FALSE(kept.has_value());
  EXPECT_EQ(kept.error().code, rir::ErrorCode::kCreateFolder);
  EXPECT_EQ(kept.error().path, f.folder);
  EXPECT_FALSE(kept.error().reason.empty());
  EXPECT_NE(rir::DescribeError(kept.error()).find(f.folder), std::string::npos);
  EXPECT_EQ(ReadBytes(f.folder), "a file where the folder belongs");

  // Below that file, no folder can be made either.
  const HostsHistory below(f.folder + "/history");
  auto deeper = below.Keep(f.hosts);
  ASSERT_FALSE(deeper.has_value());
  EXPECT_EQ(deeper.error().code, rir::ErrorCode::kCreateFolder);
}

#ifndef _WIN32
TEST(HostsHistory, AFolderWithoutRightsIsAnErrorAndLeavesNoFile) {
  Fixture f;
  f.Keep("127.0.0.1 \ta.com a.com.\n");
  {
    const testsupport::ReadOnlyFolder locked(f.folder);
    auto kept = f.history.Keep(f.hosts);
    ASSERT_FALSE(kept.has_value());
    EXPECT_EQ(kept.error().code, rir::ErrorCode::kCreateTemporary);
    EXPECT_EQ(kept.error().reason, "Permission denied");
  }
  const testsupport::ReadOnlyFolder locked(f.temp.path().string());
  const HostsHistory elsewhere(f.temp.File("new") + "/history");
  auto made = elsewhere.Keep(f.hosts);
  ASSERT_FALSE(made.has_value());
  EXPECT_EQ(made.error().path, f.temp.File("new"));
  EXPECT_EQ(made.error().reason, "Permission denied");
  EXPECT_EQ(f.Numbers(), (std::vector<std::uint64_t>{1}));
}
#endif

TEST(HostsHistory, AnUnreadableHostsFileOrCopyIsAnError) {
  Fixture f;
  f.Keep("127.0.0.1 \ta.com a.com.\n");
  {
    const testsupport::UnreadableFile unreadable(f.hosts);
    auto kept = f.history.Keep(f.hosts);
    ASSERT_FALSE(kept.has_value());
    EXPECT_EQ(kept.error().code, rir::ErrorCode::kOpenForReading);
    EXPECT_EQ(kept.error().path, f.hosts);
  }
  EXPECT_EQ(FilesIn(f.folder), 1u) << "the copy begun is removed";

  const KeptCopy copy = f.List().front();
  {
    const testsupport::UnreadableFile unreadable(copy.path);
    EXPECT_FALSE(f.history.List().has_value());
    EXPECT_FALSE(f.history.Read(copy).has_value());
  }
  std::filesystem::remove(copy.path);
  auto gone = f.history.Read(copy);
  ASSERT_FALSE(gone.has_value());
  EXPECT_EQ(gone.error().code, rir::ErrorCode::kKeptCopyGone);
  EXPECT_EQ(gone.error().path, copy.path);
}

// The entries the parser finds in `text`.
std::size_t ParsedEntries(std::string_view text) {
  blocklist::BlockList list;
  ParseHosts(text, list);
  return list.size();
}

std::size_t Counted(std::string_view text, std::size_t piece) {
  EntryLineCounter counter;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    counter.Feed(text.substr(at, piece));
  }
  return counter.Finish();
}

TEST(EntryLineCounter, AgreesWithTheParserInPiecesOfAnySize) {
  using namespace std::string_literals;
  std::vector<std::string> texts = {
      "",
      "127.0.0.1 \ta.com a.com.",
      "127.0.0.1 \t",
      "127.0.0.1 \ta a.\r\n#127.0.0.1 \tb b.\rc\n127.0.0.1 \td d.\r\r\n",
      "127.0.0.1 \tnul\0here\n127.0.0.1 \tok ok.\n"s,
      "127.0.0.1\ta.com\n127.0.0.1  \ta.com\n 127.0.0.1 \ta.com a.com.\n##127.0.0.1 \ta a.\n",
      "#127.0.0.1 \r\n127.0.0.1 \n\n\r\r#127.0.0.1 \t\n",
      testsupport::BlockedLines("a", "\r\n") + testsupport::AllowedLines("b", "\r"),
      "127.0.0.1 \ta a.\r\n::1 \ta a.\n127.0.0.1 \tb b.\n#::1 \tb b.\n127.0.0.1 \tc c.\n"s +
          "::1 \tcc cc.\n::1 \tx x.",
      "127.0.0.1 \ta a.\n# between\n::1 \ta a.\n::1 \ta a.\n::1 localhost\n::1\ta\n127.0.0.1 \tn\0\n::1 \tn\0\n"s,
      testsupport::DataFile("windows-default.hosts"),
      testsupport::DataFile("debian-default.hosts"),
      testsupport::DataFile("program-written.hosts"),
  };
  // Texts made of the prefixes' pieces, line ends and NUL, where near misses abound.
  const std::vector<std::string> bits = {
      "127.0.0.1 \t", "#127.0.0.1 \t", "127.0", "#",   "1",      " ",       "\t",  "\r",
      "\n",           "\r\n",          "a",     "\0"s, "::1 \t", "#::1 \t", "::1", ":"};
  std::mt19937 random(20240607);
  for (int i = 0; i < 5000; ++i) {
    std::string text;
    const int count = static_cast<int>(random() % 14);
    for (int b = 0; b < count; ++b) {
      text += bits[random() % bits.size()];
    }
    texts.push_back(std::move(text));
  }
  for (const std::string& text : texts) {
    const std::size_t expected = ParsedEntries(text);
    for (const std::size_t piece :
         {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{11}, text.size() + 1}) {
      ASSERT_EQ(Counted(text, piece), expected)
          << testing::PrintToString(text) << " in pieces of " << piece;
    }
  }
  EXPECT_GT(ParsedEntries(testsupport::DataFile("program-written.hosts")), 0u);
}

TEST(HostsHistory, FolderIsBesideTheProgramOrWithTheSystemsDataWhenInstalled) {
#ifdef _WIN32
  EXPECT_EQ(HistoryFolderFor("C:\\Program Files\\Tamborelle Rir Avadera"),
            "C:\\Program Files\\Tamborelle Rir Avadera\\history");
#else
  EXPECT_EQ(HistoryFolderFor("/opt/tamborelle-rir-avadera"),
            "/var/lib/tamborelle-rir-avadera/history");
  EXPECT_EQ(HistoryFolderFor("/home/me/build/frontend/qt"), "/home/me/build/frontend/qt/history");
  EXPECT_EQ(HistoryFolderFor("/opt/tamborelle-rir-avadera/old"),
            "/opt/tamborelle-rir-avadera/old/history");
#endif
}

}  // namespace
}  // namespace hostsfile
