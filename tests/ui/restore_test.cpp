// "Restore Hosts File...": a kept text of the hosts file goes back into the file and the list,
// the text it replaces is kept so that the restore can be undone, and nothing changes when the
// user cancels or the copy or the save fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "file_permissions.h"
#include "hosts_lines.h"
#include "hostsfile/hosts_history.h"
#include "program.h"
#include "rir/path.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace {

using fakes::Program;

constexpr std::string_view kOriginal =
    "# mine\r\n127.0.0.1 \told.com old.com.\r\n::1 \told.com old.com.\r\n";
const std::string kApplied = std::string(kOriginal) + testsupport::AddedLines("new.com", "\r\n");

// A program on screen, behind its login, over a hosts file of its user's.
struct Restoring : Program {
  Restoring() {
    WriteHosts(kOriginal);
    WriteState("[settings]\r\npwd=\r\n");
    Start();
    LogIn("");
  }
  std::string history_folder = folder.File("history");
  std::size_t Copies() const {
    return std::filesystem::exists(history_folder) ? testsupport::FilesIn(history_folder) : 0;
  }
  void Restore(std::optional<std::size_t> pick) {
    services.picks.push_back(pick ? fakes::Pick(*pick) : ui::ListAnswer{});
    Main().mmuRestore_Click();
  }
};

TEST(Restore, PutsBackTheBytesAndASecondRestoreUndoesIt) {
  Restoring program;
  auto& view = program.main_view();
  program.AddWebsite("new.com");
  program.Main().imgApply_Click();
  ASSERT_EQ(program.Hosts(), kApplied);
  EXPECT_EQ(program.Copies(), 1u) << "the Apply kept the text it replaced";
  view.restart_notice = false;  // to see the restore show it again

  program.Restore(0);
  ASSERT_EQ(program.services.choices.size(), 1u);
  const fakes::ShownChoice& shown = program.services.choices[0];
  EXPECT_EQ(shown.owner, fakes::kMainHandle);
  EXPECT_EQ(shown.title, "Restore Hosts File");
  EXPECT_EQ(shown.choose_button, "Restore");
  EXPECT_EQ(shown.columns, (std::vector<std::string>{"Date", "Time", "Size", "Entries"}));
  ASSERT_EQ(shown.rows.size(), 1u);
  const std::vector<std::string>& row = shown.rows[0];
  ASSERT_EQ(row.size(), 4u);
  EXPECT_EQ(row[0].size(), 10u) << row[0];  // 2024-06-07
  EXPECT_EQ(row[0][4], '-');
  EXPECT_EQ(row[1].size(), 8u) << row[1];  // 14:05:09
  EXPECT_EQ(row[1][2], ':');
  EXPECT_EQ(row[2], "60 bytes");
  EXPECT_EQ(row[3], "1") << "an entry's two lines are one entry";

  EXPECT_EQ(program.Hosts(), kOriginal);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"old.com\tBlocked"}));
  EXPECT_TRUE(view.restart_notice);
  EXPECT_EQ(program.Copies(), 2u) << "the restore kept the text it replaced";
  EXPECT_TRUE(program.services.boxes.empty());

  // The newest copy is the Apply's text: restoring it undoes the restore.
  program.Restore(0);
  const fakes::ShownChoice& second = program.services.choices[1];
  ASSERT_EQ(second.rows.size(), 2u);
  EXPECT_EQ(second.rows[0][2], "180 bytes");
  EXPECT_EQ(second.rows[0][3], "3");
  EXPECT_EQ(second.rows[1][2], "60 bytes");
  EXPECT_EQ(program.Hosts(), kApplied);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"old.com\tBlocked", "new.com\tBlocked",
                                                   "www.new.com\tBlocked"}));

  // The list is the file's again: an Apply now changes nothing and keeps nothing.
  program.Main().imgApply_Click();
  EXPECT_EQ(program.Hosts(), kApplied);
  EXPECT_EQ(program.Copies(), 3u);
  // The hosts text is the restored one, which save only writes as it is.
  program.AddWebsite("unsaved.com");
  program.Main().Command1_Click();
  EXPECT_EQ(program.Hosts(), kApplied);
  EXPECT_TRUE(program.services.boxes.empty());
}

TEST(Restore, PicksAnOlderCopyFromTheList) {
  Restoring program;
  for (const char* site : {"a.com", "b.com", "c.com"}) {
    program.AddWebsite(site);
    program.Main().imgApply_Click();
  }
  program.Restore(2);  // newest first: the one before "a.com" was added
  EXPECT_EQ(program.Hosts(), kOriginal);
  EXPECT_EQ(program.services.choices[0].rows.size(), 3u);
  EXPECT_EQ(program.services.choices[0].rows[2][3], "1");
  EXPECT_EQ(program.services.choices[0].rows[0][3], "5") << "each with its www name";
}

TEST(Restore, CancelChangesNothing) {
  Restoring program;
  auto& view = program.main_view();
  program.AddWebsite("new.com");
  program.Main().imgApply_Click();
  view.restart_notice = false;
  program.AddWebsite("not-yet.com");

  program.Restore(std::nullopt);
  EXPECT_EQ(program.services.choices.size(), 1u);
  EXPECT_EQ(program.Hosts(), kApplied);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"old.com\tBlocked", "new.com\tBlocked",
                                                   "www.new.com\tBlocked", "not-yet.com\tBlocked",
                                                   "www.not-yet.com\tBlocked"}));
  EXPECT_FALSE(view.restart_notice);
  EXPECT_EQ(program.Copies(), 1u);
  EXPECT_TRUE(program.services.boxes.empty());
}

TEST(Restore, WithNoCopiesAPlainMessageSaysSo) {
  Restoring program;
  program.Main().mmuRestore_Click();
  EXPECT_TRUE(program.services.choices.empty());
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].text, ui::kNoKeptCopies);
  EXPECT_EQ(program.services.boxes[0].icon, ui::MsgBoxIcon::kNone);
  EXPECT_EQ(program.Hosts(), kOriginal);
}

TEST(Restore, ACopyGoneOrASaveRefusedLeavesTheListAndTheFile) {
  Restoring program;
  auto& view = program.main_view();
  program.AddWebsite("new.com");
  program.Main().imgApply_Click();
  program.AddWebsite("not-yet.com");
  const std::vector<std::string> rows = view.Rows();
  view.restart_notice = false;

  // Another program removes the copy while the user chooses.
  const std::string copy = rir::FileInFolder(program.history_folder, "000001.hosts");
  program.services.while_choosing = [&] { std::filesystem::remove(copy); };
  program.Restore(0);
  ASSERT_EQ(program.BoxesWith("not restored"), 1u);
  EXPECT_NE(program.services.boxes.back().text.find(copy), std::string::npos);
  EXPECT_EQ(program.Hosts(), kApplied);
  EXPECT_EQ(view.Rows(), rows);
  EXPECT_FALSE(view.restart_notice);

  program.services.while_choosing = nullptr;
  testsupport::WriteBytes(copy, kOriginal);
  {
    const testsupport::ReadOnlyFile locked(program.hosts_path);
    program.Restore(0);
  }
  ASSERT_EQ(program.BoxesWith("not restored"), 2u);
  EXPECT_NE(program.services.boxes.back().text.find(program.hosts_path), std::string::npos);
  EXPECT_EQ(program.Hosts(), kApplied);
  EXPECT_EQ(view.Rows(), rows);
  EXPECT_FALSE(view.restart_notice);
}

TEST(Restore, AHistoryThatCannotBeListedSaysWhy) {
  Restoring program;
  testsupport::WriteBytes(program.history_folder, "a file where the history belongs");
  program.Main().mmuRestore_Click();
  EXPECT_TRUE(program.services.choices.empty());
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_NE(program.services.boxes[0].text.find("could not be listed"), std::string::npos);
  EXPECT_NE(program.services.boxes[0].text.find(program.history_folder), std::string::npos);
}

}  // namespace
