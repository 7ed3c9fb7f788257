#include "blocklist/name_import.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

namespace blocklist {
namespace {

std::string Published(const char* name) {
  return testsupport::DataFile(std::string("published/") + name);
}

std::vector<std::string> Names(const BlockList& list) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list.size(); ++i) {
    names.emplace_back(list[i].website);
  }
  return names;
}

TEST(NameImport, PublishedHostsFilesComeInWholeAndOnlyOnce) {
  // The generated list says how many domains it blocks: all but five lines, which block an
  // address or "!log-boot.tiktokv.com", no name at all. Its header maps ten names of this machine
  // (localhost and its kin), which are never taken.
  const std::string generated = Published("public-blocklist.hosts");
  ASSERT_NE(generated.find("# Blocked domains: 57183"), std::string::npos);
  const auto first = ImportNames(generated, BlockList(), {});
  ASSERT_TRUE(first);
  EXPECT_EQ(first->names.size(), 57183u - 5);
  EXPECT_EQ(first->own_names, 10u);
  EXPECT_EQ(first->nameless, 5u);
  EXPECT_EQ(first->first_nameless, 56915u);
  EXPECT_EQ(first->first_nameless_text, "0.0.0.0 !log-boot.tiktokv.com");
  EXPECT_EQ(first->names[0].website, "0-02.net");
  EXPECT_FALSE(first->names.FindLast("localhost"));

  // Into a list that holds them: nothing new, each counted as there already.
  const auto again = ImportNames(generated, first->names, {});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->names.size(), 0u);
  EXPECT_EQ(again->in_list, 57183u - 5);

  // A user's merged file: CR LF, comments after names, lines given twice.
  const auto merged = ImportNames(Published("windows-user-merged.hosts"), BlockList(), {});
  ASSERT_TRUE(merged);
  // Its distinct names, as `sort -u` of the lines' words counts them ("name:443" is "name").
  EXPECT_EQ(merged->names.size(), 41037u);
  EXPECT_EQ(merged->repeated, 11248u);
  EXPECT_EQ(merged->nameless, 10u);                          // addresses, and "z1.zedo.com55]"
  ASSERT_TRUE(merged->names.FindLast("t.signauxdeux.com"));  // "... # Another email opentracker"
  for (std::size_t i = 0; i < merged->names.size(); ++i) {
    ASSERT_EQ(merged->names[i].website.find_first_of("\r #"), std::string_view::npos) << i;
  }
}

TEST(NameImport, EveryNameFollowsTheTypedRuleAndEachLineWithoutOneIsCounted) {
  BlockList list;
  ASSERT_TRUE(list.Append("Example.COM."));
  const std::string text =
      "\xEF\xBB\xBF# a note of sites\n"
      "a.example, b.example  c.example\r\n"
      "HTTPS://Shop.Example./cart\n"
      "||ads.example^\n"             // line 4: no name
      "0.0.0.0\n"                    // an address alone
      "example.com\n"                // the list holds it, in other case
      "b.example\n"                  // given before
      "127.0.0.1 localhost my-pc\n"  // the machine's own names
      "b\xC3\xBC"
      "cher.example\n"                            // UTF-8
      "caf\xE9.example\n"                         // not UTF-8: the code page's letters
      "*.tracker.example www.tracker.example\n";  // what is a name on a line is taken
  const auto imported = ImportNames(text, list, {"my-pc"});
  ASSERT_TRUE(imported);
  std::vector<std::string> expected = {"a.example", "b.example", "c.example", "shop.example",
                                       "xn--bcher-kva.example"};
#ifdef _WIN32
  expected.push_back("xn--caf-dma.example");
#endif
  expected.push_back("www.tracker.example");
  EXPECT_EQ(Names(imported->names), expected);
  EXPECT_EQ(imported->in_list, 1u);
  EXPECT_EQ(imported->repeated, 1u);
  EXPECT_EQ(imported->own_names, 2u);
#ifdef _WIN32
  EXPECT_EQ(imported->nameless, 2u);
#else
  EXPECT_EQ(imported->nameless, 3u);
#endif
  EXPECT_EQ(imported->first_nameless, 4u);
  EXPECT_EQ(imported->first_nameless_text, "||ads.example^");
  EXPECT_EQ(imported->first_nameless_reason, "It holds \"|\", which no name holds");
  EXPECT_EQ(imported->lines, 11u);

  // Windows' "Unicode" files are UTF-16.
  const std::string utf16(
      "\xFF\xFE"
      "a\0.\0e\0x\0\n\0b\0.\0e\0x\0",
      20);
  EXPECT_EQ(Names(ImportNames(utf16, BlockList(), {})->names),
            (std::vector<std::string>{"a.ex", "b.ex"}));
}

TEST(NameImport, AnExportedListComesBackWithItsStatuses) {
  BlockList list;
  ASSERT_TRUE(list.Append("blocked.example"));
  ASSERT_TRUE(list.Append("allowed.example", Status::kAllowed));
  ASSERT_TRUE(list.Append("scheduled.example", Status::kAllowed));
  const std::string text = ExportText(list, [&](std::size_t position) {
    return position == 2 ? Status::kBlocked : list[position].status;
  });
  const auto back = ImportNames(text, BlockList(), {});
  ASSERT_TRUE(back);
  ASSERT_EQ(back->names.size(), 3u);
  EXPECT_EQ(Names(back->names), Names(list));
  EXPECT_EQ(back->names[0].status, Status::kBlocked);
  EXPECT_EQ(back->names[1].status, Status::kAllowed);
  EXPECT_EQ(back->names[2].status, Status::kBlocked);
  EXPECT_EQ(back->nameless, 0u);
}

TEST(NameImport, ATextReadInPiecesGivesWhatItGivesWholeUnlessCancelled) {
  std::string text = "\xEF\xBB\xBF";
  for (int i = 0; i < 10000; ++i) {
    text += "0.0.0.0 name" + std::to_string(i) + ".example\r\n";
  }
  text += "last.example";  // no line end
  const auto whole = ImportNames(text, BlockList(), {});
  ASSERT_TRUE(whole);
  ImportProgress progress;
  NameReader reader(BlockList(), {}, &progress);
  for (std::size_t at = 0; at < text.size(); at += 7) {  // lines and the mark cut anywhere
    reader.Read(std::string_view(text).substr(at, 7), text.size());
  }
  const auto pieces = reader.Finish();
  ASSERT_TRUE(pieces);
  EXPECT_EQ(Names(pieces->names), Names(whole->names));
  EXPECT_EQ(pieces->names.size(), 10001u);
  EXPECT_EQ(pieces->nameless, 0u);
  EXPECT_EQ(progress.bytes_done, text.size());

  progress.cancel = true;
  EXPECT_FALSE(ImportNames(text, BlockList(), {}, &progress));
}

}  // namespace
}  // namespace blocklist
