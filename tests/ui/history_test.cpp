// The hosts file's history behind the main window: each Apply that changes the file keeps the
// text it replaces, and a history that cannot be kept is told once, without stopping the Apply.
#include <gtest/gtest.h>

#include <filesystem>

#include "hosts_lines.h"
#include "hostsfile/hosts_history.h"
#include "program.h"
#include "ui/main/main_form.h"

namespace {

using fakes::Program;

constexpr std::string_view kOriginal =
    "# mine\r\n127.0.0.1 \told.com old.com.\r\n::1 \told.com old.com.\r\n";

// A program on screen, behind its login, over a hosts file of its user's.
struct Applying : Program {
  Applying() {
    WriteHosts(kOriginal);
    WriteState("[settings]\r\npwd=\r\n");
    Start();
    LogIn("");
  }
  std::string history_folder = folder.File("history");
  std::vector<std::string> KeptTexts() const {
    std::vector<std::string> texts;
    const hostsfile::HostsHistory history(history_folder);
    const auto copies = history.List();
    for (const hostsfile::KeptCopy& copy : *copies) {
      texts.push_back(*history.Read(copy));
    }
    return texts;
  }
};

TEST(History, EachApplyThatChangesTheFileKeepsTheTextItReplaces) {
  Applying program;
  program.Main().imgApply_Click();
  EXPECT_TRUE(program.KeptTexts().empty()) << "nothing changed, nothing kept";

  program.AddWebsite("new.com");
  program.Main().imgApply_Click();
  program.AddWebsite("two.com");
  program.Main().Command3_Click();
  program.Main().Command1_Click();  // save only changes the file as well
  EXPECT_EQ(
      program.KeptTexts(),
      (std::vector<std::string>{std::string(kOriginal) + testsupport::AddedLines("new.com", "\r\n"),
                                std::string(kOriginal)}));
  EXPECT_TRUE(program.services.boxes.empty());
}

TEST(History, AHistoryThatCannotBeKeptIsToldOnceAndTheApplyCounts) {
  Applying program;
  testsupport::WriteBytes(program.history_folder, "a file where the history belongs");
  auto& view = program.main_view();
  program.AddWebsite("new.com");
  program.Main().imgApply_Click();
  EXPECT_EQ(program.Hosts(), std::string(kOriginal) + testsupport::AddedLines("new.com", "\r\n"));
  EXPECT_TRUE(view.restart_notice) << "the Apply is done all the same";
  ASSERT_EQ(program.BoxesWith("could not be kept"), 1u);
  const fakes::ShownBox& box = program.services.boxes.back();
  EXPECT_EQ(box.icon, ui::MsgBoxIcon::kCritical);
  EXPECT_NE(box.text.find("could not be kept"), std::string::npos);
  EXPECT_NE(box.text.find(program.history_folder), std::string::npos);

  program.AddWebsite("more.com");
  program.Main().cmdApply_Click();
  program.AddWebsite("still-more.com");
  program.Main().mmuExit_Click();
  EXPECT_EQ(program.BoxesWith("could not be kept"), 1u) << "once per run";
  EXPECT_EQ(program.services.ends, 1) << "nor does it stop Exit";
  EXPECT_NE(program.Hosts().find("still-more.com"), std::string::npos);
}

}  // namespace
