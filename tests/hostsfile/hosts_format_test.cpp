#include "hostsfile/hosts_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hosts_lines.h"

namespace hostsfile {
namespace {

using namespace std::string_literals;

struct Parsed {
  blocklist::BlockList list;
  HostsLayout layout;
};

Parsed Parse(std::string_view bytes) {
  Parsed parsed;
  parsed.layout = ParseHosts(bytes, parsed.list);
  return parsed;
}

std::string Rebuilt(const Parsed& parsed) {
  return BuildHostsText(parsed.layout, parsed.list);
}

using testsupport::AllowedLines;
using testsupport::BlockedLines;

const std::string kWorkedExample =
    "# sample hosts file\r\n"
    "127.0.0.1 localhost\r\n"
    "127.0.0.1\tads.example.com\r\n"
    "#127.0.0.1 \tnews.example.org news.example.org.\r\n"
    "#::1 \tnews.example.org news.example.org.\r\n"
    "\r\n"
    "::1 localhost\r\n"
    "10.0.0.5 intranet\r\n"
    "127.0.0.1 mail.example.net # work\r\n"
    "   # indented note\r\n";

TEST(HostsWorkedExample, OnlyTheProgramsOwnPairOfLinesIsAnEntry) {
  Parsed parsed = Parse(kWorkedExample);
  ASSERT_EQ(parsed.list.size(), 1u);
  EXPECT_EQ(parsed.list.at(0).website, "news.example.org");
  EXPECT_EQ(parsed.list.at(0).status, blocklist::Status::kAllowed);
  EXPECT_EQ(parsed.layout.entry_lines(), 1u);
}

TEST(HostsAbsoluteNames, EachNameTakesItsTrailingDotFormAndAnOlderFileGainsIt) {
  Parsed older = Parse("127.0.0.1 \ta.example\n::1 \ta.example\n");
  ASSERT_EQ(older.list.size(), 1u);
  EXPECT_EQ(Rebuilt(older), "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n");
  // A name that ends in a dot needs none; a text that reads as a name and its alias keeps itself.
  Parsed odd = Parse("# x\n");
  ASSERT_TRUE(odd.list.Append("b.example.", blocklist::Status::kBlocked).has_value());
  ASSERT_TRUE(odd.list.Append("a a.", blocklist::Status::kBlocked).has_value());
  const std::string text = Rebuilt(odd);
  EXPECT_EQ(text,
            "# x\n127.0.0.1 \tb.example.\n::1 \tb.example.\n127.0.0.1 \ta a. a a..\n::1 "
            "\ta a. a a..\n");
  EXPECT_EQ(Parse(text).list.at(1).website, "a a.");
}

TEST(HostsWorkedExample, ApplyWithoutChangeGivesTheSameBytes) {
  EXPECT_EQ(Rebuilt(Parse(kWorkedExample)), kWorkedExample);
}

TEST(HostsWorkedExample, BlockingRewritesOnlyThatEntrysTwoLines) {
  Parsed parsed = Parse(kWorkedExample);
  parsed.list.SetStatus(0, blocklist::Status::kBlocked);
  std::string expected = kWorkedExample;
  expected.replace(expected.find(AllowedLines("news.example.org", "\r\n")),
                   AllowedLines("news.example.org", "\r\n").size(),
                   BlockedLines("news.example.org", "\r\n"));
  EXPECT_EQ(Rebuilt(parsed), expected);
}

TEST(HostsWorkedExample, AddedEntriesGoAfterTheLastLineWithTheFilesLineEnd) {
  Parsed parsed = Parse(kWorkedExample);
  ASSERT_TRUE(parsed.list.Append("example.com").has_value());
  ASSERT_TRUE(parsed.list.Append("example.net", blocklist::Status::kAllowed).has_value());
  EXPECT_EQ(Rebuilt(parsed), kWorkedExample + BlockedLines("example.com", "\r\n") +
                                 AllowedLines("example.net", "\r\n"));
}

TEST(HostsWorkedExample, ClearAllRemovesEntryLinesOnly) {
  Parsed parsed = Parse(kWorkedExample);
  parsed.list.Clear();
  std::string expected = kWorkedExample;
  expected.erase(expected.find(AllowedLines("news.example.org", "\r\n")),
                 AllowedLines("news.example.org", "\r\n").size());
  EXPECT_EQ(Rebuilt(parsed), expected);
}

TEST(HostsEntryLines, ExactPrefixesOnly) {
  const std::string text = BlockedLines("a") +        // blocked
                           AllowedLines("b") +        // allowed
                           BlockedLines("") +         // blocked, empty website
                           "127.0.0.1 c\n"            // no TAB: not ours
                           "127.0.0.1\t\td\n"         // no blank: not ours
                           " 127.0.0.1 \te e.\n"      // indented: not ours
                           "# 127.0.0.1 \tf f.\n"     // blank after '#': not ours
                           "127.0.0.1  \tg\n"         // two blanks: not ours
                           "0.0.0.0 \th\n"            // another address: not ours
                           "::1 c\n"                  // no TAB: not ours
                           "::1\t\td\n"               // no blank: not ours
                           " ::1 \te e.\n"            // indented: not ours
                           "# ::1 \tf f.\n"           // blank after '#': not ours
                           "::1  \tg\n"               // two blanks: not ours
                           "0:0:0:0:0:0:0:1 \th\n" +  // ::1 written out: not ours
                           BlockedLines("x y # z");   // the rest of the line, whatever it holds
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 4u);
  EXPECT_EQ(parsed.list.at(0).website, "a");
  EXPECT_EQ(parsed.list.at(0).status, blocklist::Status::kBlocked);
  EXPECT_EQ(parsed.list.at(1).website, "b");
  EXPECT_EQ(parsed.list.at(1).status, blocklist::Status::kAllowed);
  EXPECT_EQ(parsed.list.at(2).website, "");
  EXPECT_EQ(parsed.list.at(3).website, "x y # z");
  EXPECT_EQ(Rebuilt(parsed), text);
}

TEST(HostsEntryLines, LineWithNulIsLeftAlone) {
  const std::string text = std::string("127.0.0.1 \tx\0y\n::1 \tx\0y\n", 24) + BlockedLines("z");
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 1u);
  EXPECT_EQ(parsed.list.at(0).website, "z");
  EXPECT_EQ(Rebuilt(parsed), text);
}

TEST(HostsEntryLines, DuplicatesAreTwoEntries) {
  Parsed parsed = Parse("127.0.0.1 \tx x.\n#127.0.0.1 \tx x.\n");
  ASSERT_EQ(parsed.list.size(), 2u);
  EXPECT_EQ(parsed.list.FindLast("x"), 1u);
  EXPECT_EQ(parsed.list.at(1).status, blocklist::Status::kAllowed);
}

TEST(HostsEntryLines, HighBytesPassThroughUnchanged) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    high += static_cast<char>(byte);
  }
  const std::string text = "# " + high + "\r\n" + BlockedLines(high, "\r\n");
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 1u);
  EXPECT_EQ(parsed.list.at(0).website, high);
  EXPECT_EQ(Rebuilt(parsed), text);
  parsed.list.SetStatus(0, blocklist::Status::kAllowed);
  EXPECT_EQ(Rebuilt(parsed), "# " + high + "\r\n" + AllowedLines(high, "\r\n"));
}

TEST(HostsLineEnds, EveryKindSplitsLinesAndComesBackAsItWas) {
  for (const std::string& text : {
           BlockedLines("a", "\r\n") + BlockedLines("b", "\r\n"),
           BlockedLines("a", "\n") + BlockedLines("b", "\n"),
           BlockedLines("a", "\r") + BlockedLines("b", "\r"),
           BlockedLines("a", "\r") + BlockedLines("b", "\n"),
           BlockedLines("a", "\n") + "127.0.0.1 \tb b.\n::1 \tb b.",
           BlockedLines("a", "\r\n") + "127.0.0.1 \tb b.\r\n::1 \tb b.",
       }) {
    Parsed parsed = Parse(text);
    ASSERT_EQ(parsed.list.size(), 2u) << text;
    EXPECT_EQ(parsed.list.at(0).website, "a");
    EXPECT_EQ(parsed.list.at(1).website, "b");
    EXPECT_EQ(Rebuilt(parsed), text);
  }
}

TEST(HostsLineEnds, FinalLineEndMakesNoExtraEntry) {
  EXPECT_EQ(Parse("127.0.0.1 \ta a.\r\n").list.size(), 1u);
  EXPECT_EQ(Parse("127.0.0.1 \ta a.").list.size(), 1u);
  EXPECT_EQ(Parse(BlockedLines("a", "\r\n")).list.size(), 1u);
  EXPECT_EQ(Parse("127.0.0.1 \ta a.\r\n::1 \ta a.").list.size(), 1u);
  EXPECT_EQ(Parse("").list.size(), 0u);
}

TEST(HostsLineEnds, ChangedEntryKeepsItsOwnLineEnd) {
  Parsed parsed = Parse("127.0.0.1 \ta a.\r\n127.0.0.1 \tb b.\n127.0.0.1 \tc c.\r127.0.0.1 \td d.");
  for (std::size_t i = 0; i < parsed.list.size(); ++i) {
    parsed.list.SetStatus(i, blocklist::Status::kAllowed);
  }
  // The last entry's IPv4 line takes the file's line end, so that its two lines are not glued.
  EXPECT_EQ(Rebuilt(parsed), AllowedLines("a", "\r\n") + AllowedLines("b", "\n") +
                                 AllowedLines("c", "\r") + "#127.0.0.1 \td d.\r\n#::1 \td d.");
}

TEST(HostsLineEnds, NewLinesTakeTheFirstLineEndOfTheFile) {
  Parsed lf = Parse("# one\n# two\r\n");
  ASSERT_TRUE(lf.list.Append("x").has_value());
  EXPECT_EQ(Rebuilt(lf), "# one\n# two\r\n" + BlockedLines("x", "\n"));

  Parsed cr = Parse("# one\r# two\n");
  ASSERT_TRUE(cr.list.Append("x").has_value());
  EXPECT_EQ(Rebuilt(cr), "# one\r# two\n" + BlockedLines("x", "\r"));
}

TEST(HostsLineEnds, FileWithoutLineEndUsesThePlatformsOne) {
  const std::string eol(LineEndText(PlatformLineEnd()));
  Parsed empty = Parse("");
  EXPECT_EQ(Rebuilt(empty), "");
  ASSERT_TRUE(empty.list.Append("x").has_value());
  EXPECT_EQ(Rebuilt(empty), BlockedLines("x", eol));
}

TEST(HostsLineEnds, LastLineWithoutLineEndIsNotGluedToWhatFollows) {
  Parsed kept = Parse("# last");
  ASSERT_TRUE(kept.list.Append("x").has_value());
  const std::string eol(LineEndText(PlatformLineEnd()));
  EXPECT_EQ(Rebuilt(kept), "# last" + eol + BlockedLines("x", eol));

  Parsed entry = Parse("# first\r\n127.0.0.1 \ta a.\r\n::1 \ta a.");
  ASSERT_TRUE(entry.list.Append("b").has_value());
  EXPECT_EQ(Rebuilt(entry), "# first\r\n" + BlockedLines("a", "\r\n") + BlockedLines("b", "\r\n"));
  // Reading that back gives both entries, not one glued together.
  Parsed again = Parse(Rebuilt(entry));
  ASSERT_EQ(again.list.size(), 2u);
  EXPECT_EQ(again.list.at(1).website, "b");
}

TEST(HostsLineEnds, RemovingTheLastLineLeavesTheRestIntact) {
  for (const std::string text :
       {"# a\r\n127.0.0.1 \tb b.", "# a\r\n127.0.0.1 \tb b.\r\n::1 \tb b."}) {
    Parsed parsed = Parse(text);
    parsed.list.Remove(0);
    EXPECT_EQ(Rebuilt(parsed), "# a\r\n") << text;
  }
}

TEST(HostsEditing, RemovedEntryLineIsGoneAndNeighboursStay) {
  const std::string text = "# head\n" + BlockedLines("a") + "# mid\n" + BlockedLines("b") +
                           "::1 localhost\n" + BlockedLines("c");
  Parsed parsed = Parse(text);
  parsed.list.Remove(1);
  EXPECT_EQ(Rebuilt(parsed),
            "# head\n" + BlockedLines("a") + "# mid\n" + "::1 localhost\n" + BlockedLines("c"));
  parsed.list.Remove(0);
  parsed.list.SetStatus(0, blocklist::Status::kAllowed);
  ASSERT_TRUE(parsed.list.Append("d").has_value());
  EXPECT_EQ(Rebuilt(parsed),
            "# head\n# mid\n::1 localhost\n" + AllowedLines("c") + BlockedLines("d"));
}

TEST(HostsEditing, ClearThenAddKeepsForeignLines) {
  Parsed parsed = Parse("127.0.0.1 localhost\n127.0.0.1 \ta a.\n");
  parsed.list.Clear();
  ASSERT_TRUE(parsed.list.Append("b").has_value());
  EXPECT_EQ(Rebuilt(parsed), "127.0.0.1 localhost\n" + BlockedLines("b"));
}

// Each entry is written as two lines, "127.0.0.1 " TAB name and "::1 " TAB name (after a '#' when
// allowed), with one line end; reading them back gives one entry.
TEST(HostsIpv6Pairs, APairIsOneEntryBlockedOrAllowed) {
  const std::string text = "# head\n" + BlockedLines("a.example") + AllowedLines("b.example");
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 2u);
  EXPECT_EQ(parsed.list.at(0).website, "a.example");
  EXPECT_EQ(parsed.list.at(0).status, blocklist::Status::kBlocked);
  EXPECT_EQ(parsed.list.at(1).website, "b.example");
  EXPECT_EQ(parsed.list.at(1).status, blocklist::Status::kAllowed);
  EXPECT_EQ(parsed.layout.entry_lines(), 2u);
  EXPECT_EQ(parsed.layout.kept, "# head\n");
  EXPECT_EQ(Rebuilt(parsed), text);
}

TEST(HostsIpv6Pairs, APairIsOneEntryWithEveryLineEnd) {
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    const std::string text = BlockedLines("a", end) + AllowedLines("b", end) + "# tail" + end;
    Parsed parsed = Parse(text);
    ASSERT_EQ(parsed.list.size(), 2u) << testing::PrintToString(end);
    EXPECT_EQ(parsed.list.at(0).line_end, parsed.layout.line_end);
    EXPECT_EQ(parsed.list.at(1).website, "b");
    EXPECT_EQ(Rebuilt(parsed), text);
  }
}

TEST(HostsIpv6Pairs, APairOnTheLastLineWithoutLineEnd) {
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    std::string text = "# head";
    text += end;
    text += "127.0.0.1 \ta a.";
    text += end;
    text += "::1 \ta a.";
    Parsed parsed = Parse(text);
    ASSERT_EQ(parsed.list.size(), 1u) << testing::PrintToString(end);
    EXPECT_EQ(parsed.list.at(0).line_end, blocklist::LineEnd::kNone);
    EXPECT_EQ(Rebuilt(parsed), text);
    // Anything added after it ends the last line first.
    ASSERT_TRUE(parsed.list.Append("b").has_value());
    EXPECT_EQ(Rebuilt(parsed), "# head" + end + BlockedLines("a", end) + BlockedLines("b", end));
  }
}

TEST(HostsIpv6Pairs, AnOpenLastEntryGetsBothLinesWithoutGluingThem) {
  Parsed parsed = Parse("# head\r\n127.0.0.1 \ta a.");
  EXPECT_EQ(Rebuilt(parsed), "# head\r\n127.0.0.1 \ta a.\r\n::1 \ta a.");
  Parsed alone = Parse("#::1 \ta a.");
  const std::string eol(LineEndText(PlatformLineEnd()));
  EXPECT_EQ(Rebuilt(alone), "#127.0.0.1 \ta a." + eol + "#::1 \ta a.");
}

// A file written after an edit can end in a pair whose IPv4 line ends otherwise than the file's
// first line: removing the entry that held the first line end leaves such a file.
TEST(HostsIpv6Pairs, AnOpenLastPairKeepsItsOwnFirstLineEnd) {
  Parsed edited = Parse(BlockedLines("a", "\r\n") + "# k\n127.0.0.1 \tb b.");
  edited.list.Remove(0);
  const std::string written = Rebuilt(edited);
  EXPECT_EQ(written, "# k\n127.0.0.1 \tb b.\r\n::1 \tb b.");
  Parsed read_back = Parse(written);
  ASSERT_EQ(read_back.list.size(), 1u);
  EXPECT_EQ(Rebuilt(read_back), written);
  // Something added after it ends its IPv6 line as its IPv4 line ends, so the pair stays one.
  ASSERT_TRUE(read_back.list.Append("c").has_value());
  const std::string added = Rebuilt(read_back);
  EXPECT_EQ(added, "# k\n" + BlockedLines("b", "\r\n") + BlockedLines("c", "\n"));
  EXPECT_EQ(Rebuilt(Parse(added)), added);
}

TEST(HostsIpv6Pairs, ALoneIpv6LineIsAnEntryAndGainsItsIpv4Line) {
  Parsed parsed = Parse("# x\n::1 \ta a.\n# y\n#::1 \tb b.\n");
  ASSERT_EQ(parsed.list.size(), 2u);
  EXPECT_EQ(parsed.list.at(0).website, "a");
  EXPECT_EQ(parsed.list.at(0).status, blocklist::Status::kBlocked);
  EXPECT_EQ(parsed.list.at(1).website, "b");
  EXPECT_EQ(parsed.list.at(1).status, blocklist::Status::kAllowed);
  EXPECT_EQ(parsed.layout.entry_lines(), 2u);
  EXPECT_EQ(Rebuilt(parsed), "# x\n" + BlockedLines("a") + "# y\n" + AllowedLines("b"));
}

TEST(HostsIpv6Pairs, AnotherStatusMakesTwoEntries) {
  Parsed parsed = Parse("127.0.0.1 \ta a.\n#::1 \ta a.\n#127.0.0.1 \tb b.\n::1 \tb b.\n");
  ASSERT_EQ(parsed.list.size(), 4u);
  EXPECT_EQ(parsed.list.at(0).status, blocklist::Status::kBlocked);
  EXPECT_EQ(parsed.list.at(1).status, blocklist::Status::kAllowed);
  EXPECT_EQ(parsed.list.at(1).website, "a");
  EXPECT_EQ(parsed.list.at(2).status, blocklist::Status::kAllowed);
  EXPECT_EQ(parsed.list.at(3).status, blocklist::Status::kBlocked);
  EXPECT_EQ(parsed.list.at(3).website, "b");
  EXPECT_EQ(Rebuilt(parsed),
            BlockedLines("a") + AllowedLines("a") + AllowedLines("b") + BlockedLines("b"));
}

TEST(HostsIpv6Pairs, AnotherNameMakesTwoEntries) {
  for (const std::string other : {"b", "a ", "A", "a.", ""}) {
    Parsed parsed = Parse("127.0.0.1 \ta a.\n::1 \t" + other + "\n");
    ASSERT_EQ(parsed.list.size(), 2u) << other;
    EXPECT_EQ(parsed.list.at(0).website, "a");
    EXPECT_EQ(parsed.list.at(1).website, other);
    EXPECT_EQ(Rebuilt(parsed), BlockedLines("a") + BlockedLines(other));
  }
}

TEST(HostsIpv6Pairs, OnlyTheLineRightAfterIsAPartner) {
  // A line between them, an IPv6 line after a pair, two IPv4 lines, then an IPv6 line.
  Parsed parsed = Parse("127.0.0.1 \ta a.\n# note\n::1 \ta a.\n" + BlockedLines("b") +
                        "::1 \tb b.\n127.0.0.1 \tc c.\n" + BlockedLines("c"));
  ASSERT_EQ(parsed.list.size(), 6u);
  const char* websites[] = {"a", "a", "b", "b", "c", "c"};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(parsed.list.at(i).website, websites[i]);
  }
  EXPECT_EQ(Rebuilt(parsed), BlockedLines("a") + "# note\n" + BlockedLines("a") +
                                 BlockedLines("b") + BlockedLines("b") + BlockedLines("c") +
                                 BlockedLines("c"));
}

// Both lines are ours, so a pair edited by hand to end its lines differently is read as one entry
// and written back with the line end of its second line on both.
TEST(HostsIpv6Pairs, APairWhoseLinesEndDifferentlyIsOneEntryWithOneLineEnd) {
  Parsed parsed = Parse("127.0.0.1 \ta a.\r\n::1 \ta a.\n# z\r\n127.0.0.1 \tb b.\r::1 \tb b.\r\n");
  ASSERT_EQ(parsed.list.size(), 2u);
  EXPECT_EQ(parsed.list.at(0).line_end, blocklist::LineEnd::kLf);
  EXPECT_EQ(parsed.list.at(1).line_end, blocklist::LineEnd::kCrLf);
  EXPECT_EQ(Rebuilt(parsed), BlockedLines("a", "\n") + "# z\r\n" + BlockedLines("b", "\r\n"));
}

TEST(HostsIpv6Pairs, AFileWrittenBeforeGainsAnIpv6LineRightAfterEachEntryLine) {
  const std::string old_file =
      "# Copyright\r\n"
      "127.0.0.1 localhost\r\n"
      "::1 localhost\r\n"
      "127.0.0.1 \tfacebook.com facebook.com.\r\n"
      "#127.0.0.1 \twikipedia.org wikipedia.org.\r\n"
      "10.0.0.5 intranet\r\n"
      "127.0.0.1 \tyoutube.com youtube.com.\n"
      "127.0.0.1 \tlast.example last.example.";
  Parsed parsed = Parse(old_file);
  ASSERT_EQ(parsed.list.size(), 4u);
  const std::string written = Rebuilt(parsed);
  EXPECT_EQ(written,
            "# Copyright\r\n"
            "127.0.0.1 localhost\r\n"
            "::1 localhost\r\n"
            "127.0.0.1 \tfacebook.com facebook.com.\r\n"
            "::1 \tfacebook.com facebook.com.\r\n"
            "#127.0.0.1 \twikipedia.org wikipedia.org.\r\n"
            "#::1 \twikipedia.org wikipedia.org.\r\n"
            "10.0.0.5 intranet\r\n"
            "127.0.0.1 \tyoutube.com youtube.com.\n"
            "::1 \tyoutube.com youtube.com.\n"
            "127.0.0.1 \tlast.example last.example.\r\n"
            "::1 \tlast.example last.example.");
  // And from then on the file stays as it is.
  EXPECT_EQ(Rebuilt(Parse(written)), written);
}

TEST(HostsIpv6Pairs, AFileOfOurWritingComesBackByteForByteInPiecesSplitAnywhere) {
  const std::string text = "# head\r\n" + BlockedLines("a", "\r\n") + "::1 localhost\r\n" +
                           AllowedLines("b", "\r") + BlockedLines("c", "\n") +
                           "127.0.0.1 \td d.\r\n::1 \td d.";
  const Parsed whole = Parse(text);
  ASSERT_EQ(whole.list.size(), 4u);
  ASSERT_EQ(Rebuilt(whole), text);
  for (std::size_t first = 0; first <= text.size(); ++first) {
    for (std::size_t second = first; second <= text.size(); ++second) {
      Parsed pieces;
      HostsParser parser(pieces.list, 0);
      parser.Feed(std::string_view(text).substr(0, first));
      parser.Feed(std::string_view(text).substr(first, second - first));
      parser.Feed(std::string_view(text).substr(second));
      pieces.layout = std::move(parser).Finish();
      const std::string label = std::to_string(first) + "/" + std::to_string(second);
      ASSERT_EQ(pieces.list.size(), 4u) << label;
      ASSERT_EQ(Rebuilt(pieces), text) << label;
    }
  }
}

TEST(HostsIpv6Pairs, ChangingTheStatusRewritesBothLines) {
  Parsed parsed =
      Parse("# a\r\n" + BlockedLines("x", "\r\n") + AllowedLines("y", "\r\n") + "# b\r\n");
  parsed.list.SetStatus(0, blocklist::Status::kAllowed);
  parsed.list.SetStatus(1, blocklist::Status::kBlocked);
  EXPECT_EQ(Rebuilt(parsed),
            "# a\r\n" + AllowedLines("x", "\r\n") + BlockedLines("y", "\r\n") + "# b\r\n");
}

TEST(HostsIpv6Pairs, RemovingAnEntryRemovesBothLines) {
  Parsed parsed =
      Parse("# a\n" + BlockedLines("x") + "# b\n" + AllowedLines("y") + BlockedLines("z"));
  parsed.list.Remove(1);
  EXPECT_EQ(Rebuilt(parsed), "# a\n" + BlockedLines("x") + "# b\n" + BlockedLines("z"));
  parsed.list.Remove(1);
  parsed.list.Remove(0);
  EXPECT_EQ(Rebuilt(parsed), "# a\n# b\n");
}

TEST(HostsIpv6Pairs, Ipv6LinesWrittenByOthersStayAndAreNoEntries) {
  const std::string theirs =
      "::1 localhost\n"
      "::1\tname\n"
      "::1  name\n"
      "::1  \tname\n"
      "::1 name\n"
      " ::1 \tname name.\n"
      "# ::1 \tname name.\n"
      "##::1 \tname name.\n"
      "::1\n"
      "::1 \n";
  Parsed parsed = Parse(theirs);
  EXPECT_TRUE(parsed.list.empty());
  EXPECT_EQ(Rebuilt(parsed), theirs);
  // Nor is any of them the partner of the entry line before it.
  std::string text;
  std::string expected;
  for (const std::string line : {"::1 localhost", "::1\ta", "::1  a", "::1 a", "# ::1 \ta a."}) {
    text += "127.0.0.1 \ta a.\n" + line + "\n";
    expected += BlockedLines("a") + line + "\n";
  }
  Parsed mixed = Parse(text);
  EXPECT_EQ(mixed.list.size(), 5u);
  EXPECT_EQ(Rebuilt(mixed), expected);
}

// Random website texts: any byte but CR, LF and NUL, blanks, '#', "127.0.0.1" and TABs included.
std::string RandomWebsite(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a",         "Z", "#",    " ",    "\t",
                                                  "127.0.0.1", ".", "\xE9", "\xFF", "-"};
  std::string text;
  const int length = std::uniform_int_distribution<int>(0, 6)(random);
  for (int i = 0; i < length; ++i) {
    if (random() % 4 == 0) {
      text += static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
      if (text.back() == '\r' || text.back() == '\n') {
        text.back() = 'x';
      }
    } else {
      text += pieces[random() % pieces.size()];
    }
  }
  return text;
}

void ExpectSameParse(const Parsed& expected, const Parsed& actual, const std::string& label) {
  ASSERT_EQ(actual.list.size(), expected.list.size()) << label;
  for (std::size_t i = 0; i < expected.list.size(); ++i) {
    EXPECT_EQ(actual.list.at(i).website, expected.list.at(i).website) << label;
    EXPECT_EQ(actual.list.at(i).status, expected.list.at(i).status) << label;
    EXPECT_EQ(actual.list.at(i).line_end, expected.list.at(i).line_end) << label;
  }
  EXPECT_EQ(actual.layout.kept, expected.layout.kept) << label;
  EXPECT_EQ(actual.layout.runs, expected.layout.runs) << label;
  EXPECT_EQ(actual.layout.entry_lines(), expected.layout.entry_lines()) << label;
  EXPECT_EQ(actual.layout.line_end, expected.layout.line_end) << label;
  EXPECT_EQ(actual.layout.open_entry_line_end, expected.layout.open_entry_line_end) << label;
}

TEST(HostsParserPieces, AnySplitGivesTheSameResult) {
  // Every kind of line end, a CR LF and a lone CR, NUL, empty lines, no final line end; pairs, a
  // lone IPv6 line and a pair whose second line ends in a CR LF split anywhere.
  const std::string text =
      "# a\r\n127.0.0.1 \tb b.\r::1 \tb b.\r#127.0.0.1 \tc c.\n\n\r\n127.0.0.1 \tx\0y\r\n#::1 \te "
      "e.\r"
      "127.0.0.1 \td d.\r\n::1 \td d."s;
  const Parsed whole = Parse(text);
  ASSERT_EQ(whole.list.size(), 4u);
  for (std::size_t first = 0; first <= text.size(); ++first) {
    for (std::size_t second = first; second <= text.size(); ++second) {
      Parsed pieces;
      HostsParser parser(pieces.list, 0);
      parser.Feed(std::string_view(text).substr(0, first));
      parser.Feed(std::string_view(text).substr(first, second - first));
      parser.Feed(std::string_view(text).substr(second));
      pieces.layout = std::move(parser).Finish();
      ExpectSameParse(whole, pieces, std::to_string(first) + "/" + std::to_string(second));
      if (HasFatalFailure() || HasFailure()) {
        return;
      }
    }
  }
}

TEST(HostsParserPieces, ByteByByte) {
  const std::string text = kWorkedExample + BlockedLines("last", "\r");
  Parsed pieces;
  HostsParser parser(pieces.list, text.size());
  for (const char byte : text) {
    parser.Feed(std::string_view(&byte, 1));
  }
  pieces.layout = std::move(parser).Finish();
  ExpectSameParse(Parse(text), pieces, "byte by byte");
  EXPECT_EQ(Rebuilt(pieces), text);
}

TEST(HostsRoundTrip, RandomListsSurviveWritingAndReadingBack) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 200; ++round) {
    Parsed original = Parse("");
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < count; ++i) {
      const blocklist::Status status =
          random() % 2 ? blocklist::Status::kAllowed : blocklist::Status::kBlocked;
      ASSERT_TRUE(original.list.Append(RandomWebsite(random), status).has_value());
    }
    const std::string text = Rebuilt(original);
    Parsed read_back = Parse(text);
    ASSERT_EQ(read_back.list.size(), original.list.size());
    for (std::size_t i = 0; i < original.list.size(); ++i) {
      EXPECT_EQ(read_back.list.at(i).website, original.list.at(i).website);
      EXPECT_EQ(read_back.list.at(i).status, original.list.at(i).status);
    }
    EXPECT_EQ(Rebuilt(read_back), text);
  }
}

// Files as the program writes them: kept lines and entry pairs, the last line perhaps open.
TEST(HostsRoundTrip, RandomFilesOfOurWritingComeBackByteForByte) {
  std::mt19937 random(7);
  const std::vector<std::string> kept = {"# comment",
                                         "",
                                         "::1 localhost",
                                         "0.0.0.0 ads.example",
                                         "127.0.0.1 localhost",
                                         "   ",
                                         "127.0.0.1\tx",
                                         "::1\tx",
                                         "::1  x",
                                         "#::1 x"};
  const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int lines = std::uniform_int_distribution<int>(0, 30)(random);
    for (int i = 0; i < lines; ++i) {
      const std::string& end = ends[random() % ends.size()];
      const bool last_open = i + 1 == lines && random() % 2;
      if (random() % 3 == 0) {
        const std::string& line = kept[random() % kept.size()];
        if (line.empty() && end == "\n" && text.ends_with('\r')) {
          continue;  // that LF would end the line before, not make an empty one
        }
        text += line + (last_open ? "" : end);
        continue;
      }
      const std::string names = testsupport::Names(RandomWebsite(random));
      const bool allowed = random() % 2;
      // The IPv4 line of an open last pair may end otherwise than the file's first line.
      const std::string& ipv4_end = last_open ? ends[random() % ends.size()] : end;
      text += allowed ? "#127.0.0.1 \t" : "127.0.0.1 \t";
      text += names;
      text += ipv4_end;
      text += (allowed ? "#::1 \t" : "::1 \t") + names + (last_open ? "" : end);
    }
    EXPECT_EQ(Rebuilt(Parse(text)), text) << testing::PrintToString(text);
  }
}

// Any file at all, perhaps with an entry added: the first rebuild may add lines, the second
// changes nothing.
TEST(HostsRoundTrip, RebuildingARebuiltFileChangesNothing) {
  std::mt19937 random(11);
  const std::vector<std::string> forms = {"127.0.0.1 \t",  "#127.0.0.1 \t", "::1 \t", "#::1 \t",
                                          "::1 localhost", "# note",        ""};
  const std::vector<std::string> names = {"a", "b", ""};
  const std::vector<std::string> ends = {"\r\n", "\n", "\r", ""};
  for (int round = 0; round < 500; ++round) {
    std::string text;
    const int lines = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < lines; ++i) {
      text += forms[random() % forms.size()] + names[random() % names.size()] +
              (i + 1 < lines ? ends[random() % 3] : ends[random() % ends.size()]);
    }
    Parsed first = Parse(text);
    if (random() % 2) {
      ASSERT_TRUE(first.list.Append("added").has_value());
    }
    const std::string once = Rebuilt(first);
    const Parsed second = Parse(once);
    ASSERT_EQ(second.list.size(), first.list.size()) << testing::PrintToString(text);
    for (std::size_t i = 0; i < first.list.size(); ++i) {
      EXPECT_EQ(second.list.at(i).website, first.list.at(i).website);
      EXPECT_EQ(second.list.at(i).status, first.list.at(i).status);
    }
    EXPECT_EQ(Rebuilt(second), once) << testing::PrintToString(text);
  }
}

TEST(HostsScale, AMillionEntryLinesLoadEditAndWrite) {
  constexpr std::size_t kCount = 1'000'000;
  std::string text = "# generated\r\n::1 localhost\r\n";
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::string name = "host" + std::to_string(i) + ".example.com";
    text += i % 7 == 0 ? AllowedLines(name, "\r\n") : BlockedLines(name, "\r\n");
  }
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), kCount);
  EXPECT_EQ(Rebuilt(parsed), text);

  parsed.list.Remove(500'000);
  parsed.list.SetStatus(999'998, blocklist::Status::kAllowed);  // was host999999, blocked
  ASSERT_TRUE(parsed.list.Append("added.example").has_value());
  Parsed read_back = Parse(Rebuilt(parsed));
  ASSERT_EQ(read_back.list.size(), kCount);
  EXPECT_EQ(read_back.list.at(499'999).website, "host499999.example.com");
  EXPECT_EQ(read_back.list.at(500'000).website, "host500001.example.com");
  EXPECT_EQ(read_back.list.at(999'998).website, "host999999.example.com");
  EXPECT_EQ(read_back.list.at(999'998).status, blocklist::Status::kAllowed);
  EXPECT_EQ(read_back.list.at(999'999).website, "added.example");
  EXPECT_EQ(read_back.layout.kept, "# generated\r\n::1 localhost\r\n");
}

}  // namespace
}  // namespace hostsfile
