// Lists of any size in and out: Import Websites..., a paste of many names, Export Websites...,
// the find box and commands on several selected rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"

namespace {

using fakes::Program;
using ui::MsgBoxResult;

std::vector<std::string> Blocked(std::initializer_list<const char*> names) {
  std::vector<std::string> rows;
  for (const char* name : names) {
    rows.push_back(std::string(name) + "\tBlocked");
  }
  return rows;
}

TEST(ManyNames, AnImportIsSummedUpAndAnExportComesBackWithItsStatuses) {
  Program program;
  program.WriteHosts("# the machine's own lines\n");
  program.StartOnScreen();
  auto& view = program.main_view();
  program.AddWebsite("example.com");  // and www.example.com
  const std::string hosts_before = program.Hosts();

  const std::string list = program.folder.File("list.txt");
  testsupport::WriteBytes(list,
                          "0.0.0.0 a.example\r\n127.0.0.1 localhost\r\nEXAMPLE.com\r\n||x^\r\n"
                          "0.0.0.0 b.example c.example # trackers\r\n");
  program.services.chosen_files.push_back(list);
  program.Main().mmuImport_Click();
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].text,
            "Added 3 websites; 1 was in the list already; 1 name of this computer (localhost) "
            "was left out; 1 line held no name: line 4 \"||x^\" (It holds \"|\", which no name "
            "holds).");
  EXPECT_EQ(view.Rows(),
            Blocked({"example.com", "www.example.com", "a.example", "b.example", "c.example"}));
  EXPECT_EQ(program.Main().lvwWebsites().selected(), 2u);  // the first one taken in
  EXPECT_EQ(program.Hosts(), hosts_before);                // nothing is written before Apply

  program.Main().lvwWebsites_SelectionMoved(3);
  program.Main().imgAllow_Click();
  const std::vector<std::string> rows = view.Rows();
  const std::string exported = program.folder.File("exported.txt");
  program.services.chosen_files.push_back(exported);
  program.Main().mmuExport_Click();
  EXPECT_EQ(view.status, "Exported 5 websites to " + exported + ".");

  program.Main().mmuClearAll_Click();
  program.services.chosen_files.push_back(exported);
  program.Main().mmuImport_Click();
  EXPECT_EQ(view.Rows(), rows);
  EXPECT_EQ(view.Rows()[3], "b.example\tAllowed");

  // Cancelled, or a file that is not there: the list stays as it was.
  program.services.cancel_imports = true;
  program.services.chosen_files.push_back(list);
  program.Main().mmuImport_Click();
  EXPECT_EQ(view.status, ui::kImportCancelled);
  program.services.cancel_imports = false;
  program.services.chosen_files.push_back(program.folder.File("gone.txt"));
  program.Main().mmuImport_Click();
  EXPECT_NE(program.services.boxes.back().text.find("gone.txt"), std::string::npos);
  EXPECT_EQ(view.Rows(), rows);
}

TEST(ManyNames, APasteOfNamesGoesInAsAnImportAndTheFindBoxNarrowsWhatCommandsActOn) {
  Program program;
  program.StartOnScreen();
  auto& view = program.main_view();
  program.AddWebsite("ads.example,\nbank.example  books.example\r\nshop.example");
  EXPECT_EQ(view.status, "Added 4 websites.");
  EXPECT_TRUE(program.services.boxes.empty());
  EXPECT_EQ(view.website, "");

  // Each letter narrows the rows; commands act on the rows shown and selected.
  view.find = "B";
  program.Main().txtFind_Change();
  EXPECT_EQ(view.Rows(), Blocked({"bank.example", "books.example"}));
  view.find = "bo";
  program.Main().txtFind_Change();
  EXPECT_EQ(view.Rows(), Blocked({"books.example"}));
  view.find = "b";
  program.Main().txtFind_Change();
  view.selected_rows = {0, 1};
  program.services.answers.push_back(MsgBoxResult::kYes);
  program.Main().imgAllow_Click();
  EXPECT_EQ(program.services.boxes.back().text, "Allow these 2 websites?");
  EXPECT_EQ(view.Rows(),
            (std::vector<std::string>{"bank.example\tAllowed", "books.example\tAllowed"}));

  program.services.answers.push_back(MsgBoxResult::kNo);
  program.Main().mmuRemoveSite_Click();
  EXPECT_EQ(view.Rows().size(), 2u);
  program.services.answers.push_back(MsgBoxResult::kYes);
  program.Main().mmuRemoveSite_Click();
  EXPECT_EQ(program.services.boxes.back().text, "Remove these 2 websites from the list?");
  EXPECT_TRUE(view.Rows().empty());

  // A name added while the box hides it empties the box, so that the new row is seen.
  view.selected_rows.clear();
  program.AddWebsite("news.example");
  EXPECT_EQ(view.find, "");
  EXPECT_EQ(view.Rows(),
            Blocked({"ads.example", "shop.example", "news.example", "www.news.example"}));
  program.Main().mmuFind_Click();
  EXPECT_TRUE(view.find_has_focus);
}

#ifdef _WIN32
TEST(ManyNames, AnImportPastWhatWindowsResolvesQuicklyIsToldBeforeTheApply) {
  Program program;
  program.StartOnScreen();
  std::string names;
  for (int i = 0; i < 15001; ++i) {
    names += "name" + std::to_string(i) + ".example\n";
  }
  const std::string list = program.folder.File("list.txt");
  testsupport::WriteBytes(list, names);
  program.services.chosen_files.push_back(list);
  program.Main().mmuImport_Click();
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_NE(
      program.services.boxes[0].text.find("Once applied, the hosts file will have up to 30,0"),
      std::string::npos);
  program.Main().imgApply_Click();
  EXPECT_EQ(program.BoxesWith("Windows may resolve names slowly"), 1u);  // not told again
}
#endif

}  // namespace
