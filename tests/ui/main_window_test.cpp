// The main window's commands: the entry box, the list's editing, Apply, save only and preview.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <fstream>

#include "hosts_lines.h"
#include "hostsfile/keeper_report.h"
#include "program.h"

namespace {

using fakes::Program;
using ui::FormId;
using ui::WindowState;

TEST(MainWindow, TheRoadOfOneRequest) {
  Program program;
  program.WriteHosts("# the machine's own\r\n127.0.0.1 localhost\r\n");
  program.WriteState("[settings]\r\npwd=open sesame\r\n");
  program.Start();
  auto& view = program.main_view();

  // 1. A double-click on the icon opens the login window.
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  ASSERT_TRUE(program.Loaded(FormId::kLogin));

  // 2. The password and Enter restore the main window: state, foreground, shown.
  program.log.clear();
  program.views.login->password = "open sesame";
  program.app().Login().txtPassword_KeyDown(ui::kKeyEnter, 0);
  EXPECT_EQ(program.log,
            (fakes::Log{"main.normal", "foreground main", "main.show", "login.unload"}));
  EXPECT_FALSE(program.Loaded(FormId::kLogin));

  // 3. A website typed and Enter: appended as blocked with its www name, shown, selected; the box
  // is empty again, and the status bar tells of the www name, without a box.
  program.TypeWebsite("example.com");
  EXPECT_TRUE(view.add_entry_enabled);
  program.Main().txtWebsite_KeyDown(ui::kKeyEnter, 0);
  EXPECT_EQ(view.Rows(),
            (std::vector<std::string>{"example.com\tBlocked", "www.example.com\tBlocked"}));
  EXPECT_EQ(view.visible_row, 0u);
  EXPECT_EQ(program.Main().lvwWebsites().selected(), 0u);
  EXPECT_TRUE(view.list_has_focus);
  EXPECT_EQ(view.website, "");
  EXPECT_FALSE(view.add_entry_enabled);
  EXPECT_TRUE(program.services.boxes.empty());
  EXPECT_EQ(view.status, "Added example.com and www.example.com, the site's other usual name.");

  // 4. Apply writes it (the lines we did not write stay) and shows the notice.
  program.Main().imgApply_Click();
  EXPECT_EQ(program.Hosts(), "# the machine's own\r\n127.0.0.1 localhost\r\n" +
                                 testsupport::AddedLines("example.com", "\r\n"));
  EXPECT_TRUE(view.restart_notice);

  // 5. The close box sends the window back to the tray.
  program.app().Unload(FormId::kMain, ui::UnloadMode::kControlMenu);
  EXPECT_TRUE(program.Loaded(FormId::kMain));
  EXPECT_FALSE(view.IsVisible());
  EXPECT_EQ(view.GetWindowState(), WindowState::kMinimized);
  EXPECT_EQ(program.services.icons.size(), 1u);
  EXPECT_TRUE(program.services.boxes.empty());
}

TEST(MainWindow, AddEntryFollowsTheBoxAndEnterInAnEmptyBoxDoesNothing) {
  Program program;
  program.StartOnScreen();
  auto& view = program.main_view();

  program.TypeWebsite(" ");
  EXPECT_TRUE(view.add_entry_enabled);  // blanks count
  program.TypeWebsite("");
  EXPECT_FALSE(view.add_entry_enabled);

  program.Main().txtWebsite_KeyDown(ui::kKeyEnter, 1);
  EXPECT_TRUE(view.Rows().empty());
  EXPECT_FALSE(view.list_has_focus);
  EXPECT_TRUE(program.services.boxes.empty());

  // Shift held with Enter adds as well, the name the resolver asks for, with its www name; the
  // user is told when that is not what was typed.
  program.TypeWebsite("https://Shop.Example/cart");
  program.Main().txtWebsite_KeyDown(ui::kKeyEnter, 1);
  program.Main().txtWebsite_KeyDown(65, 0);  // any other key: nothing
  EXPECT_EQ(view.Rows(),
            (std::vector<std::string>{"shop.example\tBlocked", "www.shop.example\tBlocked"}));
  EXPECT_EQ(view.status,
            "Added shop.example (the name the system looks up for \"https://Shop.Example/cart\") "
            "and www.shop.example, the site's other usual name.");
  program.AddWebsite("intranet");  // a name of one label has no www name
  EXPECT_EQ(view.status, "Added intranet.");

  // A text that names no website is refused with why, and stays in the box to be put right.
  program.AddWebsite("my site");
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].text,
            "The website was not added.\n\n\"my site\" is not the name of a website: It holds a "
            "blank.");
  EXPECT_EQ(view.website, "my site");
  EXPECT_EQ(view.Rows().size(), 3u);
}

TEST(MainWindow, ADuplicateIsPointedOutAtItsLastPosition) {
  Program program;
  program.WriteHosts(
      "127.0.0.1 \ta.com a.com.\r\n::1 \ta.com a.com.\r\n127.0.0.1 \texample.com "
      "example.com.\r\n::1 "
      "\texample.com example.com.\r\n127.0.0.1 \tb.com b.com.\r\n::1 \tb.com b.com.\r\n"
      "127.0.0.1 \tc.com c.com.\r\n::1 \tc.com c.com.\r\n#127.0.0.1 \texample.com "
      "example.com.\r\n#::1 "
      "\texample.com example.com.\r\n127.0.0.1 \td.com d.com.\r\n::1 \td.com d.com.\r\n");
  program.Start();
  program.LogIn("");

  // The same name, whatever its case, a trailing dot or the address around it.
  program.AddWebsite("https://Example.com./");
  auto& view = program.main_view();
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].text, "This entry already exists!");
  EXPECT_EQ(program.services.boxes[0].icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(view.Rows().size(), 6u);
  EXPECT_EQ(view.visible_row, 4u);  // position 5
  EXPECT_EQ(program.Main().lvwWebsites().selected(), 4u);
  EXPECT_EQ(view.website, "");
  EXPECT_TRUE(view.list_has_focus);
}

TEST(MainWindow, AllowBlockRemoveAndClearActOnTheSelection) {
  Program program;
  program.StartOnScreen();
  auto& main = program.Main();
  auto& view = program.main_view();

  main.imgAllow_Click();  // empty list: nothing
  program.services.answers = {ui::MsgBoxResult::kNo, ui::MsgBoxResult::kNo, ui::MsgBoxResult::kYes,
                              ui::MsgBoxResult::kYes};
  program.AddWebsite("one.com");
  program.AddWebsite("two.com");
  main.lvwWebsites_SelectionMoved(0);
  main.mmuAllow_Click();
  main.mmuAllow_Click();
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"one.com\tAllowed", "www.one.com\tBlocked",
                                                   "two.com\tBlocked", "www.two.com\tBlocked"}));
  main.imgBlock_Click();
  EXPECT_EQ(view.Rows()[0], "one.com\tBlocked");

  main.lvwWebsites_SelectionMoved(std::nullopt);
  main.mmuRemoveSite_Click();
  main.mmuAllow_Click();
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"one.com\tBlocked", "www.one.com\tBlocked",
                                                   "two.com\tBlocked", "www.two.com\tBlocked"}));

  main.lvwWebsites_SelectionMoved(1);
  main.mmuRemoveSite_Click();
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"one.com\tBlocked", "two.com\tBlocked",
                                                   "www.two.com\tBlocked"}));
  // Each time the other name of the site stood as the entry did, the user was asked once; a pair
  // goes together when the user says so.
  main.lvwWebsites_SelectionMoved(1);
  main.imgAllow_Click();
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"one.com\tBlocked", "two.com\tAllowed",
                                                   "www.two.com\tAllowed"}));
  main.mmuRemoveSite_Click();
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"one.com\tBlocked"}));
  EXPECT_EQ(program.services.boxes.size(), 4u);

  main.mmuClearAll_Click();
  EXPECT_TRUE(view.Rows().empty());
  EXPECT_FALSE(program.Logged("tray add"));  // nothing of this reaches the file or the tray
}

TEST(MainWindow, AnApplyThatCannotWriteSaysWhyAndLeavesTheNoticeAsItWas) {
  // No such folder: the new text cannot be put beside the file.
  Program missing;
  missing.WriteState("[settings]\r\nfirstrun=true\r\n");
  const std::string hosts = missing.folder.File("gone") + "/hosts";
  missing.Start(hosts);
  missing.AddWebsite("example.com");
  missing.Main().cmdApply_Click();

  ASSERT_EQ(missing.services.boxes.size(), 1u);
  const fakes::ShownBox& box = missing.services.boxes[0];
  EXPECT_EQ(box.icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(box.caption, "Tamborelle Rir Avadera");
  EXPECT_NE(box.text.find("not applied"), std::string::npos);
  EXPECT_NE(box.text.find("gone"), std::string::npos);
  EXPECT_FALSE(missing.main_view().restart_notice);
}

TEST(MainWindow, PreviewShowsTheTextAndSaveOnlyWritesOnlyWhatWasBuilt) {
  Program program;
  program.WriteHosts("127.0.0.1 \tkept.com kept.com.\r\n::1 \tkept.com kept.com.\r\n");
  program.Start();
  program.LogIn("");
  auto& main = program.Main();

  main.Command1_Click();  // nothing built since the load: the file must not be wiped
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tkept.com kept.com.\r\n::1 \tkept.com kept.com.\r\n");

  program.AddWebsite("new.com");
  main.Command3_Click();
  const std::string built =
      testsupport::BlockedLines("kept.com", "\r\n") + testsupport::AddedLines("new.com", "\r\n");
  EXPECT_EQ(program.main_view().export_text, built);
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tkept.com kept.com.\r\n::1 \tkept.com kept.com.\r\n");

  main.Command1_Click();
  EXPECT_EQ(program.Hosts(), built);
  EXPECT_FALSE(program.main_view().restart_notice);

  main.imgApply_Click();
  EXPECT_EQ(program.main_view().export_text, "");
  EXPECT_TRUE(program.main_view().restart_notice);
}

TEST(MainWindow, AnApplyAfterAnotherProgramsEditAsksToLoadTheFileAgain) {
  Program program;
  program.WriteHosts("127.0.0.1 \tkept.com kept.com.\r\n::1 \tkept.com kept.com.\r\n");
  program.Start();
  program.LogIn("");
  auto& main = program.Main();
  program.AddWebsite("new.com");
  const std::string edited =
      "127.0.0.1 \tkept.com kept.com.\r\n::1 \tkept.com kept.com.\r\n10.0.0.1 nas\r\n";
  program.WriteHosts(edited);

  // No: nothing is written, and the list stays as the user made it.
  program.services.answers = {ui::MsgBoxResult::kNo};
  main.imgApply_Click();
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_NE(program.services.boxes[0].text.find("another program changed"), std::string::npos);
  EXPECT_NE(program.services.boxes[0].text.find(program.hosts_path), std::string::npos);
  EXPECT_EQ(program.Hosts(), edited);
  EXPECT_EQ(program.main_view().Rows().size(), 3u);
  EXPECT_FALSE(program.main_view().restart_notice);
  program.services.answers = {ui::MsgBoxResult::kNo};
  main.mmuExit_Click();
  EXPECT_EQ(program.Hosts(), edited) << "Exit applies too, and must not drop the line either";
  EXPECT_EQ(program.services.ends, 0);

  // Yes: the list shows the file as it now is; save only has nothing built to write; the next
  // Apply keeps the other program's line.
  program.services.answers = {ui::MsgBoxResult::kYes};
  main.imgApply_Click();
  EXPECT_EQ(program.main_view().Rows(), std::vector<std::string>{"kept.com\tBlocked"});
  main.Command1_Click();
  EXPECT_EQ(program.Hosts(), edited);
  program.AddWebsite("new.com");
  main.imgApply_Click();
  EXPECT_EQ(program.Hosts(), edited + testsupport::AddedLines("new.com", "\r\n"));
  EXPECT_TRUE(program.main_view().restart_notice);
}

TEST(MainWindow, BlocksPutBackKeepTheUsersEditsAndAProgramThatUndoesThemAtOnceIsNotFought) {
  Program program;
  program.WriteHosts("127.0.0.1 localhost\n" + testsupport::BlockedLines("kept.com"));
  program.Start();
  program.LogIn("");
  program.AddWebsite("new.com");  // not applied yet
  const std::string theirs = "127.0.0.1 localhost\n10.0.0.1 nas\n";

  program.WriteHosts(theirs);
  program.services.Tick();
  EXPECT_EQ(program.Hosts(), theirs + testsupport::BlockedLines("kept.com"));
  EXPECT_EQ(program.BoxesWith("unblocked kept.com in the hosts file: it deleted its lines. It is "
                              "blocked again."),
            1u);
  EXPECT_EQ(
      program.main_view().Rows(),
      (std::vector<std::string>{"kept.com\tBlocked", "new.com\tBlocked", "www.new.com\tBlocked"}));

  program.Main().imgApply_Click();
  const std::string applied =
      theirs + testsupport::BlockedLines("kept.com") + testsupport::AddedLines("new.com");
  EXPECT_EQ(program.Hosts(), applied) << "Apply keeps the other program's line";

  // Undone again at once: left for a minute, and said so.
  const std::string printer = theirs + "10.0.0.2 printer\n";
  program.WriteHosts(printer);
  program.services.Tick();
  program.services.Tick();
  EXPECT_EQ(program.Hosts(), printer);
  EXPECT_EQ(program.BoxesWith("the next try waits 1 minute"), 1u);
  // Meanwhile an Apply takes the other program's lines in without asking, and puts the blocks
  // back itself.
  program.Main().imgApply_Click();
  EXPECT_EQ(program.BoxesWith("changed by another program"), 0u);
  EXPECT_EQ(program.Hosts(),
            printer + testsupport::BlockedLines("kept.com") + testsupport::AddedLines("new.com"));
}

#ifndef _WIN32
// Where the system's keeper runs (on Linux its process id tells it), the program leaves the
// put-back to it and tells what it did.
TEST(MainWindow, WhereTheKeeperRunsItPutsTheBlocksBackAndTheWindowTellsIt) {
  Program program;
  const std::string blocked = "127.0.0.1 localhost\n" + testsupport::BlockedLines("kept.com");
  program.WriteHosts(blocked);
  const std::string folder = program.folder.path().string();
  testsupport::WriteBytes(hostsfile::KeeperRunningPath(folder), std::to_string(::getpid()));
  program.Start();
  program.LogIn("");
  program.WriteHosts("127.0.0.1 localhost\n");
  program.services.Tick();
  EXPECT_EQ(program.Hosts(), "127.0.0.1 localhost\n") << "the keeper's to put back";

  program.WriteHosts(blocked);
  testsupport::WriteBytes(
      hostsfile::KeeperReportPath(folder),
      hostsfile::EncodeKeeperReport({.count = 1, .removed = 1, .names = {"kept.com"}}));
  program.services.Tick();
  EXPECT_EQ(program.BoxesWith("unblocked kept.com in the hosts file: it deleted its lines."), 1u);
}
#endif

// Another program that writes the file in parts and holds it open between them, as an editor or
// an installer writing line by line may: nothing is put back until it has finished, then every
// byte it wrote stays.
TEST(MainWindow, BlocksArePutBackOnlyIntoAFileAnotherProgramHasFinishedWriting) {
  Program program;
  std::string theirs;
  for (int i = 0; i < 100000; ++i) {
    theirs += "10.0.0.1 host-" + std::to_string(i) + ".lan\n";
  }
  program.WriteHosts(theirs + testsupport::BlockedLines("kept.com"));
  program.Start();
  program.LogIn("");
  program.app().Unload(FormId::kMain, ui::UnloadMode::kControlMenu);  // to the tray
  const std::size_t waits_shown = program.services.wait_texts.size();
  const auto finished_long_ago = [&] {
    std::filesystem::last_write_time(
        program.hosts_path,
        std::filesystem::file_time_type::clock::now() - std::chrono::seconds(5));
  };
  const std::string first = theirs.substr(0, theirs.size() / 2);
  const std::string second = theirs.substr(theirs.size() / 2) + "10.0.0.2 printer\n";
  {
    std::ofstream writer(program.hosts_path, std::ios::binary | std::ios::trunc);
    writer << first << std::flush;
    program.services.Tick();
    // Quiet long enough, but still held open for writing.
    finished_long_ago();
    program.services.Tick();
    program.services.Tick();
    EXPECT_EQ(program.Hosts(), first) << "nothing written while it writes";
    writer << second << std::flush;
  }
  finished_long_ago();
  program.services.Tick();
  EXPECT_EQ(program.Hosts(), first + second + testsupport::BlockedLines("kept.com"));
  EXPECT_EQ(program.services.wait_texts.size(), waits_shown)
      << "no window pops up from the notification area for the watch's reads and writes";
  EXPECT_FALSE(program.services.unseen_waits.empty());
  program.LogIn("");
  EXPECT_EQ(program.BoxesWith("unblocked kept.com"), 1u) << "told at the next open";
}

TEST(MainWindow, ThePutBacksBoxCountsEntriesNotChanges) {
  ui::ReblockReport report{.first = "2026-12-09 10:00",
                           .last = "2026-12-09 10:30",
                           .times = 6,
                           .removed = 9,
                           .allowed = 0,
                           .entries = {"a.example", "b.example", "c.example", "d.example"}};
  const std::string text = ui::ReblockedText(report);
  EXPECT_NE(text.find("6 times"), std::string::npos) << text;
  EXPECT_NE(text.find("4 blocked websites (a.example, b.example, c.example and 1 more)"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find(" 9 "), std::string::npos) << text;
}

TEST(MainWindow, AnApplyThatChangesTheFileEmptiesTheNameCachesAndToldOnceWhenItCannot) {
  Program program;
  program.WriteHosts("127.0.0.1 \tkept.com kept.com.\r\n::1 \tkept.com kept.com.\r\n");
  program.Start();
  program.LogIn("");
  auto& main = program.Main();
  main.imgApply_Click();
  EXPECT_EQ(program.services.flushes, 0) << "an Apply that changed nothing has nothing to forget";

  program.services.flush_failures = {
      {rir::ErrorCode::kFlushResolverCache, "/usr/sbin/nscd", "It ended with status 1"}};
  program.AddWebsite("new.com");
  main.imgApply_Click();
  EXPECT_EQ(program.services.flushes, 1);
  ASSERT_EQ(program.BoxesWith("could not be emptied"), 1u);
  EXPECT_EQ(program.BoxesWith("/usr/sbin/nscd: It ended with status 1"), 1u);
  EXPECT_TRUE(program.main_view().restart_notice) << "the list was applied all the same";

  program.AddWebsite("other.com");
  main.imgApply_Click();
  EXPECT_EQ(program.services.flushes, 2);
  EXPECT_EQ(program.BoxesWith("could not be emptied"), 1u) << "told once";
}

}  // namespace
