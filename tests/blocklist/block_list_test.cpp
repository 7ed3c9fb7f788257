#include "blocklist/block_list.h"

#include <gtest/gtest.h>

#include <string>

namespace blocklist {
namespace {

BlockList ListOf(std::initializer_list<const char*> websites) {
  BlockList list;
  for (const char* website : websites) {
    EXPECT_TRUE(list.Append(website).has_value());
  }
  return list;
}

TEST(BlockListAppend, NewEntryIsBlockedAndLast) {
  BlockList list = ListOf({"a.example", "b.example"});
  auto position = list.Append("my site");
  ASSERT_TRUE(position.has_value());
  EXPECT_EQ(*position, 2u);
  EXPECT_EQ(list.at(2).website, "my site");
  EXPECT_EQ(list.at(2).status, Status::kBlocked);
  EXPECT_EQ(list.at(2).origin, kNoOrigin);
}

TEST(BlockListAppend, RefusesLineBreaksAndNulAndLeavesListAsItWas) {
  BlockList list = ListOf({"a.example"});
  for (const std::string& bad :
       {std::string("x\ry"), std::string("x\ny"), std::string("evil\r\n127.0.0.1"),
        std::string("x\0y", 3), std::string("\n")}) {
    auto result = list.Append(bad);
    ASSERT_FALSE(result.has_value()) << bad;
    EXPECT_EQ(result.error().code, rir::ErrorCode::kInvalidText);
  }
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.at(0).website, "a.example");
}

TEST(BlockListAppend, KeepsTextExactlyAsGiven) {
  BlockList list;
  for (const std::string text : {" lead", "trail ", "\t", "UPPER.example", "\xE9t\xE9.example"}) {
    ASSERT_TRUE(list.Append(text).has_value());
    EXPECT_EQ(list.at(list.size() - 1).website, text);
  }
}

TEST(BlockListFind, ExactOrdinalComparison) {
  BlockList list = ListOf({"example.com"});
  EXPECT_TRUE(list.FindLast("example.com").has_value());
  EXPECT_FALSE(list.FindLast("Example.com").has_value());
  EXPECT_FALSE(list.FindLast(" example.com").has_value());
  EXPECT_FALSE(list.FindLast("example.com ").has_value());
  EXPECT_FALSE(list.FindLast("example.co").has_value());
  EXPECT_FALSE(list.FindLast("").has_value());
}

TEST(BlockListFind, EndsAtTheLastMatch) {
  BlockList list = ListOf({"x", "example.com", "y", "z", "example.com", "w"});
  EXPECT_EQ(list.FindLast("example.com"), 4u);
  EXPECT_EQ(list.FindLast("x"), 0u);
  EXPECT_EQ(list.FindLast("w"), 5u);
}

TEST(BlockListFind, FindsEmptyTextFromTheFile) {
  BlockList list;
  list.AppendLoaded("", Status::kBlocked, LineEnd::kLf, 0);
  EXPECT_EQ(list.FindLast(""), 0u);
}

TEST(BlockListSelection, StatusChangesOnlyTheSelectedEntry) {
  BlockList list = ListOf({"a", "b", "c"});
  list.SetSelectedStatus(Status::kAllowed);  // nothing selected: nothing happens
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list.at(i).status, Status::kBlocked);
  }
  list.Select(1);
  list.SetSelectedStatus(Status::kAllowed);
  list.SetSelectedStatus(Status::kAllowed);
  EXPECT_EQ(list.at(0).status, Status::kBlocked);
  EXPECT_EQ(list.at(1).status, Status::kAllowed);
  EXPECT_EQ(list.at(1).website, "b");
  EXPECT_EQ(list.selected(), 1u);
  list.SetSelectedStatus(Status::kBlocked);
  EXPECT_EQ(list.at(1).status, Status::kBlocked);
}

TEST(BlockListSelection, RemoveSelectedMovesLaterEntriesUp) {
  BlockList list = ListOf({"a", "b", "c"});
  list.RemoveSelected();  // nothing selected
  EXPECT_EQ(list.size(), 3u);
  list.Select(1);
  list.RemoveSelected();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.at(0).website, "a");
  EXPECT_EQ(list.at(1).website, "c");
  EXPECT_FALSE(list.selected().has_value());
}

TEST(BlockListSelection, RemovingManyKeepsTheOthersInOrderWithTheirStatuses) {
  BlockList list = ListOf({"a", "bb", "c", "ddd", "e", "f"});
  list.SetStatus(3, Status::kAllowed);
  list.Select(1);
  list.RemoveAll({0, 1, 4, 4});
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].website, "c");
  EXPECT_EQ(list[1].website, "ddd");
  EXPECT_EQ(list[1].status, Status::kAllowed);
  EXPECT_EQ(list[2].website, "f");
  EXPECT_FALSE(list.selected());
  EXPECT_THROW(list.RemoveAll({2, 0}), std::out_of_range);
  EXPECT_EQ(list.FindLast("f"), 2u);
}

TEST(BlockListSelection, SelectionFollowsItsEntryWhenAnotherIsRemoved) {
  BlockList list = ListOf({"a", "b", "c", "d"});
  list.Select(2);
  list.Remove(0);
  EXPECT_EQ(list.selected(), 1u);
  EXPECT_EQ(list.at(*list.selected()).website, "c");
  list.Remove(2);
  EXPECT_EQ(list.selected(), 1u);
}

TEST(BlockListSelection, OnEmptyListEverythingIsANoOp) {
  BlockList list;
  list.SetSelectedStatus(Status::kAllowed);
  list.RemoveSelected();
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(list.selected().has_value());
  EXPECT_THROW(list.Select(0), std::out_of_range);
}

TEST(BlockListClear, RemovesEveryEntryAndTheSelection) {
  BlockList list = ListOf({"a", "b"});
  list.Select(0);
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(list.selected().has_value());
  ASSERT_TRUE(list.Append("c").has_value());
  EXPECT_EQ(list.size(), 1u);
}

TEST(BlockListScale, AMillionEntriesAddFindAndEdit) {
  BlockList list;
  constexpr std::size_t kCount = 1'000'000;
  list.reserve(kCount);
  for (std::size_t i = 0; i < kCount; ++i) {
    ASSERT_TRUE(list.Append("site" + std::to_string(i) + ".example").has_value());
  }
  EXPECT_EQ(list.FindLast("site999999.example"), 999'999u);
  EXPECT_EQ(list.FindLast("site40000.example"), 40'000u);  // beyond any 16-bit counter
  list.Select(40'000);
  list.SetSelectedStatus(Status::kAllowed);
  list.Remove(39'999);
  EXPECT_EQ(list.selected(), 39'999u);
  EXPECT_EQ(list.at(39'999).website, "site40000.example");
  EXPECT_EQ(list.at(39'999).status, Status::kAllowed);
  EXPECT_EQ(list.size(), kCount - 1);
}

TEST(StatusText, WordsTheListShows) {
  EXPECT_EQ(StatusText(Status::kBlocked), "Blocked");
  EXPECT_EQ(StatusText(Status::kAllowed), "Allowed");
}

}  // namespace
}  // namespace blocklist
