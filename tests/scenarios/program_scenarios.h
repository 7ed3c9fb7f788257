// The program driven as a user drives it, the same in each front end: editing and applying the
// list, the tray and the login, closing, exit, the password change, the lock, the schedule's
// hours, restoring a kept hosts file, the uninstaller, a list of a million entries, an import with
// the find box and several rows, a paste of several lines, and the check of the blocks. A front
// end's test file instantiates them with its driver (a testsupport::ProgramDriver).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "hosts_lines.h"
#include "program_driver.h"
#include "ui/main/main_form.h"

namespace scenarios {

using testsupport::TrayClick;
using testsupport::Window;
using Rows = std::vector<std::string>;

template <class Program>
class ProgramScenario : public testing::Test {
 protected:
  Program program_;
};

TYPED_TEST_SUITE_P(ProgramScenario);

TYPED_TEST_P(ProgramScenario, AddsEditsAndAppliesThroughTheWindow) {
  auto& program = this->program_;
  program.WriteHosts(
      program.Lines("# kept\n127.0.0.1 \told.com old.com.\n::1 \told.com old.com.\n"));
  program.Start(/*first_run=*/true);
  ASSERT_TRUE(program.Shown(Window::kMain));
  EXPECT_TRUE(program.Rows().empty()) << "the first run empties the list";

  program.TypeIn(Window::kMain, "txtWebsite", " ");
  EXPECT_TRUE(program.Enabled(Window::kMain, "cmdAddEntry")) << "blanks count as text";
  program.TypeIn(Window::kMain, "txtWebsite", "");
  EXPECT_FALSE(program.Enabled(Window::kMain, "cmdAddEntry"));

  program.TypeIn(Window::kMain, "txtWebsite", "example.com");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  program.TypeIn(Window::kMain, "txtWebsite", "b.org");
  program.ClickOn(Window::kMain, "cmdAddEntry");
  EXPECT_EQ(program.Rows(), (Rows{"example.com\tBlocked", "www.example.com\tBlocked",
                                  "b.org\tBlocked", "www.b.org\tBlocked"}));
  EXPECT_EQ(program.SelectedRow(), 2);
  EXPECT_TRUE(program.boxes.empty()) << "an add is told in the status bar";
  EXPECT_EQ(program.StatusText(), "Added b.org and www.b.org, the site's other usual name.");
  EXPECT_EQ(program.TextOf(Window::kMain, "txtWebsite"), "");
  EXPECT_FALSE(program.Enabled(Window::kMain, "cmdAddEntry"));

  // Each command on one name of a pair asks about the other (answered No here).
  program.ClickOn(Window::kMain, "imgAllow");
  EXPECT_EQ(program.Row(2), "b.org\tAllowed");
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_TRUE(program.boxes[0].text.starts_with("Allow www.b.org too?")) << program.boxes[0].text;
  EXPECT_EQ(program.boxes[0].buttons, ui::MsgBoxButtons::kYesNo);
  program.SelectRow(Window::kMain, 0);  // in the list itself
  EXPECT_EQ(program.SelectedRow(), 0);
  program.ChooseMenu("Edit", "Allow Site");
  EXPECT_EQ(program.Row(0), "example.com\tAllowed");
  program.ClickOn(Window::kMain, "imgBlock");
  EXPECT_EQ(program.Row(0), "example.com\tBlocked");
  program.ChooseMenu("Edit", "Remove Site");
  EXPECT_EQ(program.Rows(),
            (Rows{"www.example.com\tBlocked", "b.org\tAllowed", "www.b.org\tBlocked"}));

  program.TypeIn(Window::kMain, "txtWebsite", "b.org");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  ASSERT_EQ(program.boxes.size(), 4u) << "after the questions of Allow and Remove";
  EXPECT_EQ(program.boxes[3].text, "This entry already exists!");
  EXPECT_EQ(program.boxes[3].caption, "Tamborelle Rir Avadera");
  EXPECT_EQ(program.boxes[3].icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(program.RowCount(), 3);

  EXPECT_FALSE(program.ControlShown(Window::kMain, "lblMessage"));
  program.ClickOn(Window::kMain, "imgApply");
  EXPECT_EQ(
      program.Hosts(),
      program.Lines("# kept\n" + testsupport::BlockedLines("www.example.com") +
                    testsupport::AllowedLines("b.org") + testsupport::BlockedLines("www.b.org")));
  EXPECT_TRUE(program.ControlShown(Window::kMain, "lblMessage"));

  program.ChooseMenu("Edit", "Clear All");
  program.ChooseMenu("Help", "Support");
  program.ChooseMenu("Help", "About");
  EXPECT_TRUE(program.Rows().empty());
  program.ClickOn(Window::kMain, "Command3");
  EXPECT_EQ(program.TextOf(Window::kMain, "txtExport"), program.Lines("# kept\n"));
  program.ChooseMenu("File", "Apply Settings");
  EXPECT_EQ(program.Hosts(), program.Lines("# kept\n"));
  EXPECT_EQ(program.boxes.size(), 4u);
}

TYPED_TEST_P(ProgramScenario, TrayDoubleClickAndLogin) {
  auto& program = this->program_;
  program.WriteHosts(program.Lines("127.0.0.1 \tkept.com kept.com.\n::1 \tkept.com kept.com.\n"));
  program.WriteState("[settings]\r\npwd=secret\r\n");
  program.Start(/*first_run=*/false);
  EXPECT_FALSE(program.Shown(Window::kMain)) << "every run but the first starts in the tray";
  EXPECT_TRUE(program.Minimized());
  ASSERT_TRUE(program.HasTrayIcon());
  EXPECT_EQ(program.TrayTip(), "Tamborelle Rir Avadera");

  program.ClickTray(TrayClick::kSingle);
  program.ClickTray(TrayClick::kContext);
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kLogin)) << "only a double-click opens it";

  program.ClickTray(TrayClick::kDouble);
  ASSERT_TRUE(program.Shown(Window::kLogin));
  program.TypeIn(Window::kLogin, "txtPassword", "Secret");
  program.PressEnterIn(Window::kLogin, "txtPassword");
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_EQ(program.boxes[0].text, "Password is incorrect");
  EXPECT_EQ(program.boxes[0].icon, ui::MsgBoxIcon::kNone);
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kLogin)) << "one attempt, then the window goes";
  EXPECT_FALSE(program.Shown(Window::kMain));

  // Wrong passwords piled up, by any process: the window says how long to wait, checking nothing.
  const std::string record = program.folder.File("failed-logins");
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  testsupport::WriteBytes(
      record, "failures=20\nlast=" +
                  std::to_string(std::chrono::floor<std::chrono::milliseconds>(now).count()) +
                  "\n");
  program.ClickTray(TrayClick::kDouble);
  program.TypeIn(Window::kLogin, "txtPassword", "secret");
  program.PressEnterIn(Window::kLogin, "txtPassword");
  ASSERT_EQ(program.boxes.size(), 2u);
  EXPECT_TRUE(program.boxes[1].text.starts_with("Too many wrong passwords: try again in ") &&
              program.boxes[1].text.ends_with(" seconds."))
      << program.boxes[1].text;
  EXPECT_FALSE(program.Shown(Window::kMain));
  std::filesystem::remove(record);

  program.ClickTray(TrayClick::kDouble);
  ASSERT_TRUE(program.Shown(Window::kLogin));
  EXPECT_EQ(program.TextOf(Window::kLogin, "txtPassword"), "") << "a fresh window";
  program.TypeIn(Window::kLogin, "txtPassword", "secret");
  program.ClickOn(Window::kLogin, "cmdLogin");
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kLogin));
  EXPECT_TRUE(program.Shown(Window::kMain));
  EXPECT_FALSE(program.Minimized());
  EXPECT_EQ(program.app().Main().view().GetWindowState(), ui::WindowState::kNormal);
  EXPECT_EQ(program.Rows(), (Rows{"kept.com\tBlocked"}));
  EXPECT_TRUE(program.HasTrayIcon()) << "the icon stays after a restore";
  EXPECT_EQ(program.boxes.size(), 2u);
}

TYPED_TEST_P(ProgramScenario, CloseSendsToTheTrayAndAsksFromThere) {
  auto& program = this->program_;
  const std::string hosts = program.Lines("127.0.0.1 \told.com old.com.\n::1 \told.com old.com.\n");
  program.WriteHosts(hosts);
  program.Start(/*first_run=*/true);
  program.TypeIn(Window::kMain, "txtWebsite", "new.com");
  program.PressEnterIn(Window::kMain, "txtWebsite");

  program.CloseWithCloseBox(Window::kMain);
  EXPECT_FALSE(program.Shown(Window::kMain));
  EXPECT_TRUE(program.Minimized());
  EXPECT_TRUE(program.HasTrayIcon());
  EXPECT_FALSE(program.ProgramEnded());
  EXPECT_TRUE(program.boxes.empty()) << "closing asks nothing";
  EXPECT_EQ(program.Hosts(), hosts) << "closing writes nothing";

  program.answers = {ui::MsgBoxResult::kNo};
  program.CloseWithCloseBox(Window::kMain);  // while in the tray
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_EQ(program.boxes[0].text, "Exit Tamborelle Rir Avadera?");
  EXPECT_EQ(program.boxes[0].caption, "Exit");
  EXPECT_EQ(program.boxes[0].buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_EQ(program.boxes[0].icon, ui::MsgBoxIcon::kQuestion);
  EXPECT_TRUE(program.app().IsLoaded(ui::FormId::kMain));
  EXPECT_FALSE(program.ProgramEnded());

  program.answers = {ui::MsgBoxResult::kYes};
  program.CloseWithCloseBox(Window::kMain);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_FALSE(program.HasTrayIcon());
  EXPECT_TRUE(program.ProgramEnded());
  EXPECT_EQ(program.Hosts(), hosts) << "Yes applies nothing";
}

TYPED_TEST_P(ProgramScenario, ConfirmedCloseOfALaterStartEndsWithoutWriting) {
  auto& program = this->program_;
  const std::string hosts = program.Lines("127.0.0.1 \ta.com a.com.\n::1 \ta.com a.com.\n");
  program.WriteHosts(hosts);
  program.Start(/*first_run=*/false);
  program.answers = {ui::MsgBoxResult::kYes};
  program.CloseWithCloseBox(Window::kMain);
  EXPECT_EQ(program.boxes.size(), 1u);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.ProgramEnded());
  EXPECT_EQ(program.Hosts(), hosts);
}

TYPED_TEST_P(ProgramScenario, ExitWritesTheListAndEnds) {
  auto& program = this->program_;
  program.Start(/*first_run=*/true);
  program.TypeIn(Window::kMain, "txtWebsite", "late.org");
  program.PressEnterIn(Window::kMain, "txtWebsite");

  program.CloseWithCloseBox(Window::kMain);
  program.answers = {ui::MsgBoxResult::kNo};
  program.CloseWithCloseBox(Window::kMain);
  program.ClickTray(TrayClick::kDouble);
  program.ClickOn(Window::kLogin, "cmdLogin");  // no password is set: the empty entry is right
  ASSERT_TRUE(program.Shown(Window::kMain));
  program.ChooseMenu("File", "Exit");
  EXPECT_EQ(program.Hosts(), program.Lines(testsupport::AddedLines("late.org")));
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.ProgramEnded());
  EXPECT_FALSE(program.HasTrayIcon()) << "the icon goes with the main window";
  EXPECT_EQ(program.boxes.size(), 1u) << "Exit asks nothing";
}

TYPED_TEST_P(ProgramScenario, ExitAsksWhetherToEndWhenTheHostsFileCannotBeWritten) {
  auto& program = this->program_;
  const std::string gone = program.folder.File("gone");
  program.hosts_path = gone + "/hosts";  // in a folder that is not there
  program.Start(/*first_run=*/true);
  program.TypeIn(Window::kMain, "txtWebsite", "late.org");
  program.PressEnterIn(Window::kMain, "txtWebsite");

  program.answers = {ui::MsgBoxResult::kNo};
  program.ChooseMenu("File", "Exit");
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_TRUE(program.boxes[0].text.starts_with("The list was not applied: "))
      << program.boxes[0].text;
  EXPECT_TRUE(program.boxes[0].text.ends_with(". Exit anyway?")) << program.boxes[0].text;
  EXPECT_EQ(program.boxes[0].caption, "Exit");
  EXPECT_EQ(program.boxes[0].buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_EQ(program.boxes[0].icon, ui::MsgBoxIcon::kQuestion);
  EXPECT_TRUE(program.Shown(Window::kMain)) << "No keeps the program as it was";
  EXPECT_FALSE(program.ProgramEnded());
  EXPECT_EQ(program.Rows(), (Rows{"late.org\tBlocked", "www.late.org\tBlocked"}));

  program.answers = {ui::MsgBoxResult::kYes};
  program.ChooseMenu("File", "Exit");
  EXPECT_EQ(program.boxes.size(), 2u) << "asked once more, and only once";
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.ProgramEnded());
  EXPECT_FALSE(program.HasTrayIcon());
  EXPECT_FALSE(std::filesystem::exists(gone));
}

TYPED_TEST_P(ProgramScenario, ChangesThePasswordInItsModalWindow) {
  auto& program = this->program_;
  program.Start(/*first_run=*/true);
  program.Later([&] {
    ASSERT_TRUE(program.Shown(Window::kPassword));
    program.TypeIn(Window::kPassword, "txtPassword", "Open Sesame");
    program.TypeIn(Window::kPassword, "txtConfirm", "open sesame");
    program.ClickOn(Window::kPassword, "cmdSavePassword");
  });
  program.ChooseMenu("File", "Change Password...");  // returns once the window has unloaded
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kPassword));

  program.Later([&] {
    ASSERT_TRUE(program.Shown(Window::kPassword));
    EXPECT_EQ(program.TextOf(Window::kPassword, "txtPassword"), "");
    program.TypeIn(Window::kPassword, "txtPassword", "Open Sesame");
    program.TypeIn(Window::kPassword, "txtConfirm", "Open Sesame");
    program.ClickOn(Window::kPassword, "cmdSavePassword");
  });
  program.ChooseMenu("File", "Change Password...");
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kPassword));
  ASSERT_EQ(program.boxes.size(), 2u);
  EXPECT_EQ(program.boxes[0].text, "The passwords do not match!");
  EXPECT_EQ(program.boxes[1].text, "Password Succesfully changed!");
  const std::string state = program.State();
  EXPECT_NE(state.find("pwd="), std::string::npos);
  EXPECT_EQ(state.find("Sesame"), std::string::npos) << "only a hash is kept";

  program.Later([&] {
    program.TypeIn(Window::kPassword, "txtPassword", "another");
    program.TypeIn(Window::kPassword, "txtConfirm", "Another");
    program.ClickOn(Window::kPassword, "cmdSavePassword");
  });
  program.ChooseMenu("File", "Change Password...");
  ASSERT_EQ(program.boxes.size(), 3u);
  EXPECT_EQ(program.boxes[2].text, "The passwords do not match!");
  EXPECT_EQ(program.State(), state) << "a later mismatch keeps the password";

  program.CloseWithCloseBox(Window::kMain);
  program.ClickTray(TrayClick::kDouble);
  program.TypeIn(Window::kLogin, "txtPassword", "Open Sesame");
  program.PressEnterIn(Window::kLogin, "txtPassword");
  EXPECT_TRUE(program.Shown(Window::kMain)) << "the new password lets the user in";
  EXPECT_EQ(program.boxes.size(), 3u);
}

TYPED_TEST_P(ProgramScenario, LocksTheBlocksForTheLengthTyped) {
  auto& program = this->program_;
  program.Start(/*first_run=*/true);
  program.TypeIn(Window::kMain, "txtWebsite", "example.com");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  program.ClickOn(Window::kMain, "imgApply");  // the lock holds what the hosts file blocks
  const auto ends_in_two_hours = [&] {
    const std::string ends = program.TextOf(Window::kLock, "lblEnds");
    EXPECT_TRUE(ends.starts_with("Ends ") && ends.ends_with(", 2 hours from now.")) << ends;
  };

  program.InLockWindow([&] {
    EXPECT_FALSE(program.TakesInput(Window::kMain)) << "modal over the main window";
    EXPECT_EQ(program.TextOf(Window::kLock, "lblEnds"), "");
    program.TypeIn(Window::kLock, "txtLength", "2 hours");
    ends_in_two_hours();
    program.ClickOn(Window::kLock, "chkCountOnlyOn");
    EXPECT_TRUE(program.Ticked(Window::kLock, "chkCountOnlyOn"));
    program.ClickOn(Window::kLock, "cmdCancel");
  });
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kLock));
  EXPECT_TRUE(program.boxes.empty());
  EXPECT_FALSE(program.ControlShown(Window::kMain, "lblLocked")) << "Cancel locks nothing";

  program.answers = {ui::MsgBoxResult::kYes};
  program.InLockWindow([&] {
    EXPECT_FALSE(program.Ticked(Window::kLock, "chkCountOnlyOn")) << "a fresh window";
    program.TypeIn(Window::kLock, "txtLength", "2 hours");
    ends_in_two_hours();
    program.PressEnterIn(Window::kLock, "txtLength");  // presses Lock
  });
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kLock));
  ASSERT_EQ(program.boxes.size(), 2u);
  EXPECT_TRUE(program.boxes[0].text.starts_with("Lock every website the hosts file blocks until "))
      << program.boxes[0].text;
  EXPECT_TRUE(program.boxes[1].text.ends_with(": 2 websites.")) << program.boxes[1].text;
  EXPECT_TRUE(program.ControlShown(Window::kMain, "lblLocked"));
  EXPECT_TRUE(program.TextOf(Window::kMain, "lblLocked").starts_with("Locked until "));
}

TYPED_TEST_P(ProgramScenario, TakesTheWeeklyHoursTypedInTheScheduleWindow) {
  auto& program = this->program_;
  program.Start(/*first_run=*/true);
  program.InScheduleWindow([&] {
    EXPECT_FALSE(program.TakesInput(Window::kMain)) << "modal over the main window";
    program.TypeIn(Window::kSchedule, "txtMonday", "9:00-17:00, 22:00-2:00");
    program.TypeIn(Window::kSchedule, "txtThursday", "25:00-26:00");
    const std::string why = program.TextOf(Window::kSchedule, "lblState");
    EXPECT_TRUE(why.starts_with("Thursday: ")) << why;
    program.ClickOn(Window::kSchedule, "cmdOK");
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_EQ(program.boxes[0].text, why);
    EXPECT_TRUE(program.Shown(Window::kSchedule)) << "kept open for the range to be put right";
    program.TypeIn(Window::kSchedule, "txtThursday", " ");
    const std::string now = program.TextOf(Window::kSchedule, "lblState");
    EXPECT_TRUE(now.starts_with("Blocked now, until ") || now.starts_with("Free now, until "))
        << now;
    program.PressEnterIn(Window::kSchedule, "txtThursday");  // presses OK
  });
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kSchedule));

  program.InScheduleWindow([&] {
    EXPECT_EQ(program.TextOf(Window::kSchedule, "txtMonday"), "09:00-17:00, 22:00-02:00");
    EXPECT_EQ(program.TextOf(Window::kSchedule, "txtThursday"), "");
    program.ClickOn(Window::kSchedule, "cmdCancel");
  });
  EXPECT_FALSE(program.app().IsLoaded(ui::FormId::kSchedule));
  EXPECT_EQ(program.boxes.size(), 1u);

  // An entry on the schedule says so, and the Apply writes it as the hours have it now.
  program.TypeIn(Window::kMain, "txtWebsite", "example.com");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  program.SelectRow(Window::kMain, 0);
  program.ChooseMenu("Edit", "Block on Schedule");
  const std::string row = program.Row(0);
  const bool blocked = row.starts_with("example.com\tScheduled (blocked until ");
  EXPECT_TRUE(blocked || row.starts_with("example.com\tScheduled (free until ")) << row;
  EXPECT_EQ(program.Row(1), "www.example.com\tBlocked");
  program.ClickOn(Window::kMain, "imgApply");
  const std::string pair = blocked ? program.Lines("127.0.0.1 \texample.com example.com.\n")
                                   : program.Lines("#127.0.0.1 \texample.com example.com.\n");
  EXPECT_NE(program.Hosts().find(pair), std::string::npos) << program.Hosts();
}

TYPED_TEST_P(ProgramScenario, RestoresAKeptHostsFileThroughItsChooser) {
  auto& program = this->program_;
  const std::string original =
      program.Lines("# kept\n127.0.0.1 \told.com old.com.\n::1 \told.com old.com.\n");
  const std::string comment = program.Lines("# kept\n");
  program.WriteHosts(original);
  program.Start(/*first_run=*/true);
  program.ChooseMenu("File", "Apply Settings");  // the first run emptied the list
  ASSERT_EQ(program.Hosts(), comment);
  program.Hide(Window::kMain, "lblMessage");  // to see the restore show it again

  // Cancel leaves everything as it was.
  program.InChooser([&] {
    EXPECT_EQ(program.Caption(Window::kChooser), "Restore Hosts File");
    EXPECT_TRUE(program.ChooserOwnedByMain());
    EXPECT_FALSE(program.TakesInput(Window::kMain)) << "modal over the main window";
    const std::vector<std::string> columns = program.ChooserColumns();
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[0], "Date");
    EXPECT_EQ(columns[3], "Entries");
    const std::vector<std::string> rows = program.ChooserRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].ends_with("\t" + std::to_string(original.size()) + " bytes\t1")) << rows[0];
    program.ClickOn(Window::kChooser, "cmdCancel");
  });
  program.ChooseMenu("File", "Restore Hosts File...");
  EXPECT_TRUE(program.TakesInput(Window::kMain));
  EXPECT_EQ(program.Hosts(), comment);
  EXPECT_TRUE(program.Rows().empty());
  EXPECT_FALSE(program.ControlShown(Window::kMain, "lblMessage"));

  // The user picks the copy in the list and presses Restore.
  program.InChooser([&] {
    program.SelectRow(Window::kChooser, -1);
    EXPECT_FALSE(program.Enabled(Window::kChooser, "cmdChoose"))
        << "nothing picked, nothing to restore";
    program.SelectRow(Window::kChooser, 0);
    EXPECT_TRUE(program.Enabled(Window::kChooser, "cmdChoose"));
    program.ClickOn(Window::kChooser, "cmdChoose");
  });
  program.ChooseMenu("File", "Restore Hosts File...");
  EXPECT_EQ(program.Hosts(), original);
  EXPECT_EQ(program.Rows(), (Rows{"old.com\tBlocked"}));
  EXPECT_TRUE(program.ControlShown(Window::kMain, "lblMessage"));

  // The text the restore replaced is the newest copy now, and Enter restores it: the restore is
  // undone.
  program.InChooser([&] {
    const std::vector<std::string> rows = program.ChooserRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].ends_with("\t" + std::to_string(comment.size()) + " bytes\t0")) << rows[0];
    program.PressEnterIn(Window::kChooser, "lvwChoices");
  });
  program.ChooseMenu("File", "Restore Hosts File...");
  EXPECT_EQ(program.Hosts(), comment);
  EXPECT_TRUE(program.Rows().empty());
  EXPECT_TRUE(program.boxes.empty());
}

TYPED_TEST_P(ProgramScenario, UninstallStartsTheUninstallerBesideTheProgram) {
  auto& program = this->program_;
  program.Start(/*first_run=*/true);
  program.TypeIn(Window::kMain, "txtWebsite", "kept.org");
  program.PressEnterIn(Window::kMain, "txtWebsite");

  program.ChooseMenu("Help", "Uninstall Rir Avadera");
  ASSERT_EQ(program.boxes.size(), 1u) << "a missing uninstaller is told";
  EXPECT_NE(program.boxes[0].text.find("unins000.exe"), std::string::npos);
  EXPECT_TRUE(program.app().IsLoaded(ui::FormId::kMain));
  EXPECT_FALSE(program.ProgramEnded()) << "nothing was started, nothing ends";

  program.PlaceUninstaller();
  program.ChooseMenu("Help", "Uninstall Rir Avadera");
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.ProgramEnded());
  EXPECT_EQ(program.Hosts(), program.Lines(testsupport::AddedLines("kept.org")))
      << "the list stays in force";
  EXPECT_TRUE(program.UninstallerRan());
}

TYPED_TEST_P(ProgramScenario, AMillionEntriesShowAtOnceAndEdit) {
  auto& program = this->program_;
  constexpr int kLines = 1'000'000;
  std::string hosts;
  hosts.reserve(std::size_t{kLines} * 30);
  for (int line = 0; line < kLines; ++line) {
    hosts += "127.0.0.1 \tsite" + std::to_string(line) + ".example";
    hosts += program.LineEnd();
  }
  program.WriteHosts(hosts);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.ClickTray(TrayClick::kDouble);
  program.ClickOn(Window::kLogin, "cmdLogin");
  ASSERT_EQ(program.RowCount(), kLines);
  EXPECT_EQ(program.Row(kLines - 1), "site999999.example\tBlocked");

  program.TypeIn(Window::kMain, "txtWebsite", "new.example");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  ASSERT_EQ(program.RowCount(), kLines + 2) << "with its www name";
  EXPECT_EQ(program.SelectedRow(), kLines);
  EXPECT_TRUE(program.RowInView(kLines)) << "the new entry is scrolled into view";
  program.ChooseMenu("Edit", "Remove Site");
  EXPECT_EQ(program.RowCount(), kLines + 1);
  EXPECT_EQ(program.Row(kLines - 1), "site999999.example\tBlocked");
  EXPECT_EQ(program.Row(kLines), "www.new.example\tBlocked");
}

TYPED_TEST_P(ProgramScenario, ChecksTheBlocksAndWarnsOfABrowserThatGoesPastThem) {
  auto& program = this->program_;
  // A Firefox profile of the user's that sends names through DNS over HTTPS.
  std::filesystem::create_directories(std::filesystem::path(program.firefox_folder) / "p1");
  testsupport::WriteBytes(program.firefox_folder + "/profiles.ini",
                          "[Profile0]\nName=default-release\nIsRelative=1\nPath=p1\n");
  testsupport::WriteBytes(program.firefox_folder + "/p1/prefs.js",
                          "user_pref(\"network.trr.mode\", 2);\n");
  program.Start(/*first_run=*/true);
  program.TypeIn(Window::kMain, "txtWebsite", "safe.org");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  program.TypeIn(Window::kMain, "txtWebsite", "leaky.org");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  EXPECT_FALSE(program.ControlShown(Window::kMain, "lblBrowserWarning"));

  // The Apply checks the blocks, and lists the name that still leads elsewhere.
  program.leaking = {"leaky.org"};
  program.InChooser([&] {
    EXPECT_EQ(program.Caption(Window::kChooser), "Check Blocking");
    EXPECT_TRUE(program.ChooserOwnedByMain());
    EXPECT_FALSE(program.ControlShown(Window::kChooser, "cmdChoose")) << "only to be read";
    EXPECT_EQ(program.TextOf(Window::kChooser, "cmdCancel"), "Close");
    EXPECT_EQ(program.ChooserColumns(), (Rows{"Website", "For", "Leads to", "Why"}));
    const Rows rows = program.ChooserRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].starts_with("leaky.org\tIPv6\t2001:db8::1\t")) << rows[0];
    // Then the part "Browsers": each one found, and where its look-ups go.
    EXPECT_EQ(rows[1], "Browsers\t\t\t");
    EXPECT_EQ(rows[2],
              "Firefox (default-release)\t\tits own DNS\t"
              "its own setting sends look-ups over HTTPS first");
    program.ClickOn(Window::kChooser, "cmdCancel");
  });
  program.ChooseMenu("File", "Apply Settings");
  EXPECT_TRUE(program.TakesInput(Window::kMain));
  EXPECT_TRUE(program.ControlShown(Window::kMain, "lblMessage"));
  EXPECT_TRUE(program.ControlShown(Window::kMain, "lblBrowserWarning"));
  EXPECT_NE(program.TextOf(Window::kMain, "lblBrowserWarning").find("Firefox"), std::string::npos);

  // Asked from the menu, a check that finds nothing says so, and how each browser looks up.
  program.leaking.clear();
  testsupport::WriteBytes(program.firefox_folder + "/p1/prefs.js",
                          "user_pref(\"network.trr.mode\", 5);\n");
  program.ChooseMenu("Edit", "Check Blocking...");
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_NE(program.boxes[0].text.find("All 4 blocked websites"), std::string::npos);
  EXPECT_NE(program.boxes[0].text.find("Browsers:\nFirefox (default-release) uses the hosts file: "
                                       "its DNS over HTTPS is off."),
            std::string::npos)
      << program.boxes[0].text;

  // A long check shows how far it has come, and Cancel stops it.
  program.check_stops_after = 1;
  program.WhenShown(Window::kProgress, [&] {
    EXPECT_EQ(program.Caption(Window::kProgress), "Check Blocking");
    EXPECT_NE(program.TextOf(Window::kProgress, "lblProgress").find("1 of 16"), std::string::npos)
        << program.TextOf(Window::kProgress, "lblProgress");
    EXPECT_FALSE(program.TakesInput(Window::kMain)) << "modal over the main window";
    program.ClickOn(Window::kProgress, "cmdCancel");
  });
  program.ChooseMenu("Edit", "Check Blocking...");
  EXPECT_FALSE(program.Shown(Window::kProgress));
  EXPECT_TRUE(program.TakesInput(Window::kMain));
  EXPECT_EQ(program.boxes.size(), 1u) << "a check stopped early proves nothing";

  // The names of the same site that the list lacks and that reach it are listed apart under a
  // heading that cannot be picked, all picked at first; "Block These Too" adds those still
  // picked, applies and says how the check after it went.
  program.check_stops_after.reset();
  program.leaking = {"m.leaky.org", "mobile.leaky.org"};
  program.InChooser([&] {
    const Rows rows = program.ChooserRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[1].starts_with("Firefox (default-release)\t\tthe hosts file\t")) << rows[1];
    EXPECT_TRUE(rows[2].starts_with("Also reachable, not in the list")) << rows[2];
    EXPECT_TRUE(rows[3].starts_with("m.leaky.org\tIPv6\t")) << rows[3];
    EXPECT_EQ(program.TextOf(Window::kChooser, "cmdChoose"), "Block These Too");
    EXPECT_EQ(program.ChooserPicked(), (std::vector<int>{3, 4}));
    program.ToggleChooserRow(1);
    program.ToggleChooserRow(4);
    EXPECT_EQ(program.ChooserPicked(), (std::vector<int>{3}));
    program.leaking.clear();
    program.ClickOn(Window::kChooser, "cmdChoose");
  });
  program.ChooseMenu("Edit", "Check Blocking...");
  EXPECT_EQ(program.Row(program.RowCount() - 1), "m.leaky.org\tBlocked");
  EXPECT_NE(program.Hosts().find("\tm.leaky.org m.leaky.org."), std::string::npos);
  EXPECT_EQ(program.Hosts().find("mobile.leaky.org"), std::string::npos);
  ASSERT_EQ(program.boxes.size(), 2u);
  EXPECT_NE(program.boxes[1].text.find("All 5 blocked websites"), std::string::npos);
}

TYPED_TEST_P(ProgramScenario, OffersTheOtherNamesOfAKnownSite) {
  auto& program = this->program_;
  testsupport::WriteBytes(program.folder.File("sites.txt"),
                          "# video\nyoutube.com youtu.be m.youtube.com\nonly-one.example\n");
  program.answers = {ui::MsgBoxResult::kOk, ui::MsgBoxResult::kYes};
  program.Start(/*first_run=*/true);
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_NE(program.boxes[0].text.find("sites.txt could not be read and was skipped (line 3)"),
            std::string::npos)
      << program.boxes[0].text;
  program.TypeIn(Window::kMain, "txtWebsite", "www.youtube.com");
  program.PressEnterIn(Window::kMain, "txtWebsite");
  ASSERT_EQ(program.boxes.size(), 2u) << "one box: what was added, then the question";
  EXPECT_EQ(program.boxes[1].text,
            "Added www.youtube.com and youtube.com, the site's other usual name.\n\nyoutube.com is "
            "also reached through: youtu.be, www.youtu.be, m.youtube.com. "
            "Block these too?");
  EXPECT_EQ(program.boxes[1].buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_TRUE(program.StatusText().ends_with(" Also blocked: 3 other names of youtube.com."))
      << program.StatusText();
  EXPECT_EQ(program.Rows(),
            (Rows{"www.youtube.com\tBlocked", "youtube.com\tBlocked", "youtu.be\tBlocked",
                  "www.youtu.be\tBlocked", "m.youtube.com\tBlocked"}));
}

TYPED_TEST_P(ProgramScenario, PutsBackBlocksThatAnotherProgramTookOut) {
  auto& program = this->program_;
  const std::string ours =
      testsupport::BlockedLines("a.example") + testsupport::AllowedLines("b.example");
  program.WriteHosts(program.Lines("127.0.0.1 localhost\n" + ours));
  program.WriteState("[settings]\r\npwd=secret\r\n");
  program.Start(/*first_run=*/false);

  // A change that leaves every block in place is taken in, and nothing is written.
  const std::string nas = program.Lines("127.0.0.1 localhost\n" + ours + "10.0.0.1 nas\n");
  program.WriteHosts(nas);
  program.RunRepeats();
  EXPECT_EQ(program.Hosts(), nas);
  // A block commented out is put back; the other program's lines stay as it left them.
  std::string undone = "#" + testsupport::BlockedLines("a.example");
  undone.insert(undone.find("::1"), "#");
  program.WriteHosts(program.Lines("# reset\n127.0.0.1 localhost\n" + undone +
                                   testsupport::AllowedLines("b.example") + "10.0.0.2 printer\n"));
  program.RunRepeats();
  EXPECT_EQ(program.Hosts(),
            program.Lines("# reset\n127.0.0.1 localhost\n" + ours + "10.0.0.2 printer\n"));
  // Taken out again at once: the next try waits.
  program.WriteHosts(program.Lines("127.0.0.1 localhost\n"));
  program.RunRepeats();
  program.RunRepeats();
  EXPECT_EQ(program.Hosts(), program.Lines("127.0.0.1 localhost\n"));
  EXPECT_TRUE(program.boxes.empty()) << "told when the window next opens";

  program.ClickTray(TrayClick::kDouble);
  program.TypeIn(Window::kLogin, "txtPassword", "secret");
  program.PressEnterIn(Window::kLogin, "txtPassword");
  ASSERT_EQ(program.boxes.size(), 1u) << "both times in one box";
  for (const char* told : {"unblocked a.example in the hosts file: it made its lines comments. It "
                           "is blocked again.",
                           "the next try waits 1 minute"}) {
    EXPECT_NE(program.boxes[0].text.find(told), std::string::npos) << program.boxes[0].text;
  }
  EXPECT_EQ(program.Rows(), (Rows{"a.example\tBlocked", "b.example\tAllowed"}));
}

TYPED_TEST_P(ProgramScenario, ShowsNamesAsTheUserKnowsThem) {
  auto& program = this->program_;
  // Written by a Windows editor, in code page 1252.
  const std::string old =
      program.Lines("# caf\xE9\n" + testsupport::BlockedLines("caf\xE9-cr\xE8me"));
  program.WriteHosts(old);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.ClickTray(TrayClick::kDouble);
  program.ClickOn(Window::kLogin, "cmdLogin");
  EXPECT_EQ(program.Rows(), (Rows{program.Local("café-crème\tBlocked")}));

  program.TypeIn(Window::kMain, "txtWebsite", program.Local("bücher.example"));
  program.PressEnterIn(Window::kMain, "txtWebsite");
  EXPECT_EQ(program.Rows(),
            (Rows{program.Local("café-crème\tBlocked"), program.Local("bücher.example\tBlocked"),
                  program.Local("www.bücher.example\tBlocked")}));
  EXPECT_EQ(program.StatusText(),
            program.Local("Added bücher.example and www.bücher.example, the site's other "
                          "usual name."));
  const Rows bucher{program.Local("bücher.example\tBlocked"),
                    program.Local("www.bücher.example\tBlocked")};
  program.TypeFind("b");
  program.TypeFind(program.Local("bü"));  // found in the letters shown, not the ASCII form
  EXPECT_EQ(program.Rows(), bucher);
  program.TypeFind("her.ex");  // the kept form has "her-kva.ex"
  EXPECT_EQ(program.Rows(), bucher);
  program.TypeFind("");
  program.ClickOn(Window::kMain, "imgApply");
  EXPECT_EQ(program.Hosts(), old + program.Lines(testsupport::AddedLines("xn--bcher-kva.example")));
}

TYPED_TEST_P(ProgramScenario, ImportsAListFindsInItAndActsOnSeveralRows) {
  auto& program = this->program_;
  program.WriteHosts(program.Lines("127.0.0.1 localhost\n"));
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.ClickTray(TrayClick::kDouble);
  program.ClickOn(Window::kLogin, "cmdLogin");
  const std::string list = program.folder.File("list.txt");
  testsupport::WriteBytes(list,
                          "0.0.0.0 ads.example\r\n0.0.0.0 bank.example books.example\r\n"
                          "||bad^\r\nshop.example\r\n");
  program.ChooseFileNext(list);
  program.ChooseMenu("File", "Import Websites...");
  ASSERT_EQ(program.RowCount(), 4);
  EXPECT_EQ(program.BoxesWith("Added 4 websites; 1 line held no name: line 3"), 1u);
  EXPECT_EQ(program.Hosts(), program.Lines("127.0.0.1 localhost\n")) << "not before Apply";

  // The find box narrows the rows; the commands act on the rows shown and selected, asking once.
  program.TypeFind("B");
  EXPECT_EQ(program.Rows(),
            (std::vector<std::string>{"bank.example\tBlocked", "books.example\tBlocked"}));
  program.SelectAll();
  program.answers.push_back(ui::MsgBoxResult::kYes);
  program.ChooseMenu("Edit", "Allow Site");
  EXPECT_EQ(program.BoxesWith("Allow these 2 websites?"), 1u);
  EXPECT_EQ(program.Rows(),
            (std::vector<std::string>{"bank.example\tAllowed", "books.example\tAllowed"}));
  program.TypeFind("");
  EXPECT_EQ(program.RowCount(), 4);
  EXPECT_EQ(program.Row(0), "ads.example\tBlocked");

  const std::string exported = program.folder.File("exported.txt");
  program.ChooseFileNext(exported);
  program.ChooseMenu("File", "Export Websites...");
  EXPECT_NE(testsupport::ReadBytes(exported).find(program.Lines("books.example\tAllowed\n")),
            std::string::npos);
}

// Five rows, a.org to e.org, on screen.
inline void StartWithFiveRows(testsupport::ProgramDriver& program) {
  std::string hosts;
  for (const char* name : {"a.org", "b.org", "c.org", "d.org", "e.org"}) {
    hosts += testsupport::BlockedLines(name, program.LineEnd());
  }
  program.WriteHosts(hosts);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.ClickTray(TrayClick::kDouble);
  program.ClickOn(Window::kLogin, "cmdLogin");  // the empty password
  ASSERT_TRUE(program.Shown(Window::kMain));
  ASSERT_EQ(program.RowCount(), 5);
}

TYPED_TEST_P(ProgramScenario, APasteOfSeveralLinesGoesIntoTheEntryBoxWithBlanks) {
  auto& program = this->program_;
  program.Start(/*first_run=*/true);
  program.PasteIn(Window::kMain, "txtWebsite", "a.org\nb.org\r\nc.org\n");
  EXPECT_EQ(program.TextOf(Window::kMain, "txtWebsite"), "a.org b.org c.org ");
}

TYPED_TEST_P(ProgramScenario, ShiftClickAndCtrlASelectSeveralRows) {
  auto& program = this->program_;
  StartWithFiveRows(program);
  const ui::MainView& view = program.app().Main().view();
  program.SelectRows(1, 3);
  EXPECT_EQ(program.SelectedRows(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(view.SelectedRows(), (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(program.app().Main().lvwWebsites().selected(), 1u) << "the first row selected";
  program.SelectAll();
  EXPECT_EQ(view.SelectedRows(), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(program.app().Main().lvwWebsites().selected(), 0u);
  program.SelectRow(Window::kMain, -1);
  EXPECT_TRUE(view.SelectedRows().empty());
}

TYPED_TEST_P(ProgramScenario, CtrlFGoesToTheFindBox) {
  auto& program = this->program_;
  StartWithFiveRows(program);
  program.TypeIn(Window::kMain, "txtFind", "b.o");
  program.SelectRow(Window::kMain, 0);
  program.PressCtrlF();
  EXPECT_TRUE(program.Focused(Window::kMain, "txtFind"));
  EXPECT_EQ(program.app().Main().view().FindText(), "b.o");
}

REGISTER_TYPED_TEST_SUITE_P(
    ProgramScenario, AddsEditsAndAppliesThroughTheWindow, TrayDoubleClickAndLogin,
    CloseSendsToTheTrayAndAsksFromThere, ConfirmedCloseOfALaterStartEndsWithoutWriting,
    ExitWritesTheListAndEnds, ExitAsksWhetherToEndWhenTheHostsFileCannotBeWritten,
    ChangesThePasswordInItsModalWindow, LocksTheBlocksForTheLengthTyped,
    TakesTheWeeklyHoursTypedInTheScheduleWindow, RestoresAKeptHostsFileThroughItsChooser,
    UninstallStartsTheUninstallerBesideTheProgram, AMillionEntriesShowAtOnceAndEdit,
    ChecksTheBlocksAndWarnsOfABrowserThatGoesPastThem, OffersTheOtherNamesOfAKnownSite,
    PutsBackBlocksThatAnotherProgramTookOut, ShowsNamesAsTheUserKnowsThem,
    ImportsAListFindsInItAndActsOnSeveralRows, APasteOfSeveralLinesGoesIntoTheEntryBoxWithBlanks,
    ShiftClickAndCtrlASelectSeveralRows, CtrlFGoesToTheFindBox);

}  // namespace scenarios
