#include "blocklist/hosts_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace blocklist {
namespace {

struct Parsed {
  BlockList list;
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

const std::string kWorkedExample =
    "# sample hosts file\r\n"
    "127.0.0.1 localhost\r\n"
    "127.0.0.1\tads.example.com\r\n"
    "#127.0.0.1 \tnews.example.org\r\n"
    "\r\n"
    "::1 localhost\r\n"
    "10.0.0.5 intranet\r\n"
    "127.0.0.1 mail.example.net # work\r\n"
    "   # indented note\r\n";

TEST(HostsWorkedExample, OnlyTheProgramsOwnLineIsAnEntry) {
  Parsed parsed = Parse(kWorkedExample);
  ASSERT_EQ(parsed.list.size(), 1u);
  EXPECT_EQ(parsed.list.at(0).website, "news.example.org");
  EXPECT_EQ(parsed.list.at(0).status, Status::kAllowed);
  EXPECT_EQ(parsed.layout.entry_lines(), 1u);
}

TEST(HostsWorkedExample, ApplyWithoutChangeGivesTheSameBytes) {
  EXPECT_EQ(Rebuilt(Parse(kWorkedExample)), kWorkedExample);
}

TEST(HostsWorkedExample, BlockingRewritesOnlyThatLine) {
  Parsed parsed = Parse(kWorkedExample);
  parsed.list.SetStatus(0, Status::kBlocked);
  std::string expected = kWorkedExample;
  expected.replace(expected.find("#127.0.0.1 \tnews"), 1, "");
  EXPECT_EQ(Rebuilt(parsed), expected);
}

TEST(HostsWorkedExample, AddedEntriesGoAfterTheLastLineWithTheFilesLineEnd) {
  Parsed parsed = Parse(kWorkedExample);
  ASSERT_TRUE(parsed.list.Append("example.com").has_value());
  ASSERT_TRUE(parsed.list.Append("example.net", Status::kAllowed).has_value());
  EXPECT_EQ(Rebuilt(parsed),
            kWorkedExample + "127.0.0.1 \texample.com\r\n#127.0.0.1 \texample.net\r\n");
}

TEST(HostsWorkedExample, ClearAllRemovesEntryLinesOnly) {
  Parsed parsed = Parse(kWorkedExample);
  parsed.list.Clear();
  std::string expected = kWorkedExample;
  expected.erase(expected.find("#127.0.0.1 \tnews"),
                 std::string("#127.0.0.1 \tnews.example.org\r\n").size());
  EXPECT_EQ(Rebuilt(parsed), expected);
}

TEST(HostsEntryLines, ExactPrefixesOnly) {
  const std::string text =
      "127.0.0.1 \ta\n"         // blocked
      "#127.0.0.1 \tb\n"        // allowed
      "127.0.0.1 \t\n"          // blocked, empty website
      "127.0.0.1 c\n"           // no TAB: not ours
      "127.0.0.1\t\td\n"        // no blank: not ours
      " 127.0.0.1 \te\n"        // indented: not ours
      "# 127.0.0.1 \tf\n"       // blank after '#': not ours
      "127.0.0.1  \tg\n"        // two blanks: not ours
      "0.0.0.0 \th\n"           // another address: not ours
      "127.0.0.1 \tx y # z\n";  // the rest of the line, whatever it holds
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 4u);
  EXPECT_EQ(parsed.list.at(0).website, "a");
  EXPECT_EQ(parsed.list.at(0).status, Status::kBlocked);
  EXPECT_EQ(parsed.list.at(1).website, "b");
  EXPECT_EQ(parsed.list.at(1).status, Status::kAllowed);
  EXPECT_EQ(parsed.list.at(2).website, "");
  EXPECT_EQ(parsed.list.at(3).website, "x y # z");
  EXPECT_EQ(Rebuilt(parsed), text);
}

TEST(HostsEntryLines, LineWithNulIsLeftAlone) {
  const std::string text("127.0.0.1 \tx\0y\n127.0.0.1 \tz\n", 28);
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 1u);
  EXPECT_EQ(parsed.list.at(0).website, "z");
  EXPECT_EQ(Rebuilt(parsed), text);
}

TEST(HostsEntryLines, DuplicatesAreTwoEntries) {
  Parsed parsed = Parse("127.0.0.1 \tx\n#127.0.0.1 \tx\n");
  ASSERT_EQ(parsed.list.size(), 2u);
  EXPECT_EQ(parsed.list.FindLast("x"), 1u);
  EXPECT_EQ(parsed.list.at(1).status, Status::kAllowed);
}

TEST(HostsEntryLines, HighBytesPassThroughUnchanged) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    high += static_cast<char>(byte);
  }
  const std::string text = "# " + high + "\r\n127.0.0.1 \t" + high + "\r\n";
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), 1u);
  EXPECT_EQ(parsed.list.at(0).website, high);
  EXPECT_EQ(Rebuilt(parsed), text);
  parsed.list.SetStatus(0, Status::kAllowed);
  EXPECT_EQ(Rebuilt(parsed), "# " + high + "\r\n#127.0.0.1 \t" + high + "\r\n");
}

TEST(HostsLineEnds, EveryKindSplitsLinesAndComesBackAsItWas) {
  for (const std::string text : {
           "127.0.0.1 \ta\r\n127.0.0.1 \tb\r\n",
           "127.0.0.1 \ta\n127.0.0.1 \tb\n",
           "127.0.0.1 \ta\r127.0.0.1 \tb\r",
           "127.0.0.1 \ta\r127.0.0.1 \tb\n",
           "127.0.0.1 \ta\n127.0.0.1 \tb",
           "127.0.0.1 \ta\r\n127.0.0.1 \tb",
       }) {
    Parsed parsed = Parse(text);
    ASSERT_EQ(parsed.list.size(), 2u) << text;
    EXPECT_EQ(parsed.list.at(0).website, "a");
    EXPECT_EQ(parsed.list.at(1).website, "b");
    EXPECT_EQ(Rebuilt(parsed), text);
  }
}

TEST(HostsLineEnds, FinalLineEndMakesNoExtraEntry) {
  EXPECT_EQ(Parse("127.0.0.1 \ta\r\n").list.size(), 1u);
  EXPECT_EQ(Parse("127.0.0.1 \ta").list.size(), 1u);
  EXPECT_EQ(Parse("").list.size(), 0u);
}

TEST(HostsLineEnds, ChangedEntryKeepsItsOwnLineEnd) {
  Parsed parsed = Parse("127.0.0.1 \ta\r\n127.0.0.1 \tb\n127.0.0.1 \tc\r127.0.0.1 \td");
  for (std::size_t i = 0; i < parsed.list.size(); ++i) {
    parsed.list.SetStatus(i, Status::kAllowed);
  }
  EXPECT_EQ(Rebuilt(parsed), "#127.0.0.1 \ta\r\n#127.0.0.1 \tb\n#127.0.0.1 \tc\r#127.0.0.1 \td");
}

TEST(HostsLineEnds, NewLinesTakeTheFirstLineEndOfTheFile) {
  Parsed lf = Parse("# one\n# two\r\n");
  ASSERT_TRUE(lf.list.Append("x").has_value());
  EXPECT_EQ(Rebuilt(lf), "# one\n# two\r\n127.0.0.1 \tx\n");

  Parsed cr = Parse("# one\r# two\n");
  ASSERT_TRUE(cr.list.Append("x").has_value());
  EXPECT_EQ(Rebuilt(cr), "# one\r# two\n127.0.0.1 \tx\r");
}

TEST(HostsLineEnds, FileWithoutLineEndUsesThePlatformsOne) {
  const std::string eol(LineEndText(PlatformLineEnd()));
  Parsed empty = Parse("");
  EXPECT_EQ(Rebuilt(empty), "");
  ASSERT_TRUE(empty.list.Append("x").has_value());
  EXPECT_EQ(Rebuilt(empty), "127.0.0.1 \tx" + eol);
}

TEST(HostsLineEnds, LastLineWithoutLineEndIsNotGluedToWhatFollows) {
  Parsed kept = Parse("# last");
  ASSERT_TRUE(kept.list.Append("x").has_value());
  const std::string eol(LineEndText(PlatformLineEnd()));
  EXPECT_EQ(Rebuilt(kept), "# last" + eol + "127.0.0.1 \tx" + eol);

  Parsed entry = Parse("# first\r\n127.0.0.1 \ta");
  ASSERT_TRUE(entry.list.Append("b").has_value());
  EXPECT_EQ(Rebuilt(entry), "# first\r\n127.0.0.1 \ta\r\n127.0.0.1 \tb\r\n");
  // Reading that back gives both entries, not one glued together.
  Parsed again = Parse(Rebuilt(entry));
  ASSERT_EQ(again.list.size(), 2u);
  EXPECT_EQ(again.list.at(1).website, "b");
}

TEST(HostsLineEnds, RemovingTheLastLineLeavesTheRestIntact) {
  Parsed parsed = Parse("# a\r\n127.0.0.1 \tb");
  parsed.list.Remove(0);
  EXPECT_EQ(Rebuilt(parsed), "# a\r\n");
}

TEST(HostsEditing, RemovedEntryLineIsGoneAndNeighboursStay) {
  const std::string text =
      "# head\n127.0.0.1 \ta\n# mid\n127.0.0.1 \tb\n::1 localhost\n127.0.0.1 \tc\n";
  Parsed parsed = Parse(text);
  parsed.list.Remove(1);
  EXPECT_EQ(Rebuilt(parsed), "# head\n127.0.0.1 \ta\n# mid\n::1 localhost\n127.0.0.1 \tc\n");
  parsed.list.Remove(0);
  parsed.list.SetStatus(0, Status::kAllowed);
  ASSERT_TRUE(parsed.list.Append("d").has_value());
  EXPECT_EQ(Rebuilt(parsed), "# head\n# mid\n::1 localhost\n#127.0.0.1 \tc\n127.0.0.1 \td\n");
}

TEST(HostsEditing, ClearThenAddKeepsForeignLines) {
  Parsed parsed = Parse("127.0.0.1 localhost\n127.0.0.1 \ta\n");
  parsed.list.Clear();
  ASSERT_TRUE(parsed.list.Append("b").has_value());
  EXPECT_EQ(Rebuilt(parsed), "127.0.0.1 localhost\n127.0.0.1 \tb\n");
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
}

TEST(HostsParserPieces, AnySplitGivesTheSameResult) {
  // Every kind of line end, a CR LF and a lone CR, NUL, empty lines, no final line end.
  const std::string text(
      "# a\r\n127.0.0.1 \tb\r#127.0.0.1 \tc\n\n\r\n127.0.0.1 \tx\0y\r\n127.0.0.1 \td", 63);
  const Parsed whole = Parse(text);
  ASSERT_EQ(whole.list.size(), 3u);
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
  const std::string text = kWorkedExample + "127.0.0.1 \tlast\r";
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
      const Status status = random() % 2 ? Status::kAllowed : Status::kBlocked;
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

TEST(HostsRoundTrip, RandomFilesComeBackByteForByte) {
  std::mt19937 random(7);
  const std::vector<std::string> kept = {
      "# comment",           "",    "::1 localhost", "0.0.0.0 ads.example",
      "127.0.0.1 localhost", "   ", "127.0.0.1\tx"};
  const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int lines = std::uniform_int_distribution<int>(0, 30)(random);
    for (int i = 0; i < lines; ++i) {
      switch (random() % 3) {
        case 0:
          text += kept[random() % kept.size()];
          break;
        case 1:
          text += "127.0.0.1 \t" + RandomWebsite(random);
          break;
        default:
          text += "#127.0.0.1 \t" + RandomWebsite(random);
          break;
      }
      if (i + 1 < lines || random() % 2) {
        text += ends[random() % ends.size()];
      }
    }
    EXPECT_EQ(Rebuilt(Parse(text)), text);
  }
}

TEST(HostsScale, AMillionEntryLinesLoadEditAndWrite) {
  constexpr std::size_t kCount = 1'000'000;
  std::string text = "# generated\r\n::1 localhost\r\n";
  for (std::size_t i = 0; i < kCount; ++i) {
    text += (i % 7 == 0 ? "#127.0.0.1 \t" : "127.0.0.1 \t");
    text += "host" + std::to_string(i) + ".example.com\r\n";
  }
  Parsed parsed = Parse(text);
  ASSERT_EQ(parsed.list.size(), kCount);
  EXPECT_EQ(Rebuilt(parsed), text);

  parsed.list.Remove(500'000);
  parsed.list.SetStatus(999'998, Status::kAllowed);  // was host999999, blocked
  ASSERT_TRUE(parsed.list.Append("added.example").has_value());
  Parsed read_back = Parse(Rebuilt(parsed));
  ASSERT_EQ(read_back.list.size(), kCount);
  EXPECT_EQ(read_back.list.at(499'999).website, "host499999.example.com");
  EXPECT_EQ(read_back.list.at(500'000).website, "host500001.example.com");
  EXPECT_EQ(read_back.list.at(999'998).website, "host999999.example.com");
  EXPECT_EQ(read_back.list.at(999'998).status, Status::kAllowed);
  EXPECT_EQ(read_back.list.at(999'999).website, "added.example");
  EXPECT_EQ(read_back.layout.kept, "# generated\r\n::1 localhost\r\n");
}

}  // namespace
}  // namespace blocklist
