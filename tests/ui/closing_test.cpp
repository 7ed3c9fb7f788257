// The tray icon, the close decision, Exit, Uninstall and the end of the user's session.
#include <gtest/gtest.h>

#include <filesystem>

#include "program.h"
#include "ui/common/messages.h"

namespace {

using fakes::Program;
using ui::FormId;
using ui::MsgBoxResult;
using ui::UnloadMode;
using ui::WindowState;

constexpr std::string_view kHosts = "127.0.0.1 \told.com old.com.\r\n::1 \told.com old.com.\r\n";
// The tests add "intranet": a name of one label, which comes without a www name and its box.

TEST(Tray, OnlyALeftDoubleClickOpensTheLoginWindow) {
  Program program;
  program.Start();
  for (std::int32_t message : {512, 513, 514, 516, 517, 518, 519, 520}) {
    program.Main().nidTray_MouseMessage(message);
  }
  EXPECT_FALSE(program.Loaded(FormId::kLogin));

  // A second double-click while it is open brings the same window forward, text kept.
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  program.views.login->password = "half typed";
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  EXPECT_EQ(program.views.login_loads, 1);
  EXPECT_EQ(program.views.login->password, "half typed");
}

TEST(Tray, ClosingTheWindowSeveralTimesLeavesOneIconUntilTheProgramEnds) {
  Program program;
  program.Start();
  for (int round = 0; round < 3; ++round) {
    program.LogIn("");
    EXPECT_TRUE(program.main_view().IsVisible());
    EXPECT_EQ(program.services.icons.size(), 1u);  // restoring keeps the icon
    program.app().Unload(FormId::kMain, UnloadMode::kControlMenu);
    EXPECT_FALSE(program.main_view().IsVisible());
  }
  EXPECT_EQ(program.services.icons.size(), 1u);
  EXPECT_TRUE(program.services.boxes.empty());

  program.Main().mmuExit_Click();
  EXPECT_TRUE(program.services.icons.empty());
}

TEST(Closing, AClosingWindowOnScreenGoesToTheTrayWritingNothing) {
  Program program;
  program.WriteHosts(kHosts);
  program.StartOnScreen();
  program.AddWebsite("intranet");
  for (UnloadMode mode : {UnloadMode::kControlMenu, UnloadMode::kTaskManager}) {
    program.LogIn("");
    program.app().Unload(FormId::kMain, mode);
    EXPECT_TRUE(program.Loaded(FormId::kMain));
    EXPECT_EQ(program.main_view().GetWindowState(), WindowState::kMinimized);
  }
  EXPECT_EQ(program.Hosts(), kHosts);
  EXPECT_TRUE(program.services.boxes.empty());
}

TEST(Closing, AClosingWindowInTheTrayAsksAndYesEndsWithoutApplying) {
  Program program;
  program.WriteHosts(kHosts);
  program.Start();
  program.LogIn("");
  program.AddWebsite("intranet");
  program.Main().MinimizeForm();

  program.services.answers = {MsgBoxResult::kNo};
  program.app().Unload(FormId::kMain, UnloadMode::kTaskManager);
  ASSERT_EQ(program.services.boxes.size(), 1u);
  const fakes::ShownBox& question = program.services.boxes[0];
  EXPECT_EQ(question.text, "Exit Tamborelle Rir Avadera?");
  EXPECT_EQ(question.caption, "Exit");
  EXPECT_EQ(question.buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_EQ(question.icon, ui::MsgBoxIcon::kQuestion);
  EXPECT_TRUE(program.Loaded(FormId::kMain));

  program.services.answers = {MsgBoxResult::kYes};
  program.app().Unload(FormId::kMain, UnloadMode::kTaskManager);
  EXPECT_FALSE(program.Loaded(FormId::kMain));
  EXPECT_EQ(program.services.ends, 1);
  EXPECT_TRUE(program.services.icons.empty());
  EXPECT_EQ(program.Hosts(), kHosts);
}

TEST(Closing, TheProgramEndsOnlyWhenItsLastWindowHasUnloaded) {
  Program program;
  program.WriteState("[settings]\r\npwd=pw\r\n");
  program.Start();
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  program.services.answers = {MsgBoxResult::kYes};
  program.app().Unload(FormId::kMain, UnloadMode::kTaskManager);
  EXPECT_FALSE(program.Loaded(FormId::kMain));
  EXPECT_EQ(program.services.ends, 0);  // the login window is still open

  // A right password there loads the main window afresh.
  program.views.login->password = "pw";
  program.app().Login().cmdLogin_Click();
  EXPECT_TRUE(program.main_view().IsVisible());
  program.Main().mmuExit_Click();
  EXPECT_EQ(program.services.ends, 1);
}

TEST(Closing, ExitAppliesTwiceAndEndsWithoutLoadingTheOtherWindows) {
  Program program;
  program.WriteHosts(kHosts);
  program.StartOnScreen();
  program.AddWebsite("intranet");
  program.Main().mmuExit_Click();

  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tintranet intranet.\r\n::1 \tintranet intranet.\r\n");
  EXPECT_EQ(program.views.login_loads, 0);
  EXPECT_EQ(program.views.password_loads, 0);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_EQ(program.services.ends, 1);
}

TEST(Closing, ExitWritesAgainAfterTheOtherWindowsHaveUnloaded) {
  Program program;
  program.WriteHosts(kHosts);
  program.Start();
  program.LogIn("");
  program.AddWebsite("intranet");
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  // Between the two writes the login window unloads; take the file away there.
  program.views.login->on_unload = [&] { std::filesystem::remove(program.hosts_path); };
  program.Main().mmuExit_Click();

  EXPECT_EQ(program.Hosts(),
            "127.0.0.1 \told.com old.com.\r\n::1 \told.com old.com.\r\n127.0.0.1 \tintranet "
            "intranet.\r\n::1 \tintranet intranet.\r\n");
  EXPECT_EQ(program.services.ends, 1);
}

TEST(Closing, TheExitAnywayQuestionGivesTheFailuresLineAsOneSentence) {
  EXPECT_EQ(ui::ExitAnywayQuestion({rir::ErrorCode::kWrite, "C:\\hosts", "Access is denied."}),
            "The list was not applied: Cannot write C:\\hosts: Access is denied. Exit anyway?");
  EXPECT_EQ(ui::ExitAnywayQuestion({rir::ErrorCode::kChangedSinceLoad, "/etc/hosts", ""}),
            "The list was not applied: /etc/hosts was changed by another program after the list "
            "was loaded. Exit anyway?");
}

TEST(Closing, AnExitThatCannotApplyAsksAndNoEndsNothing) {
  Program program;
  program.WriteState("[settings]\r\nfirstrun=true\r\n");
  const std::string hosts = program.folder.File("gone") + "/hosts";
  program.Start(hosts);
  program.AddWebsite("intranet");
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  program.services.answers = {MsgBoxResult::kNo};
  program.Main().mmuExit_Click();

  ASSERT_EQ(program.services.boxes.size(), 1u) << "the question stands in for the failure";
  const fakes::ShownBox& question = program.services.boxes[0];
  // One sentence, the failure's line in the middle.
  EXPECT_TRUE(question.text.starts_with("The list was not applied: ")) << question.text;
  EXPECT_TRUE(question.text.ends_with(". Exit anyway?")) << question.text;
  EXPECT_NE(question.text.find(hosts), std::string::npos);
  EXPECT_EQ(question.text.find('\n'), std::string::npos);
  EXPECT_EQ(question.caption, "Exit");
  EXPECT_EQ(question.buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_EQ(question.icon, ui::MsgBoxIcon::kQuestion);
  EXPECT_TRUE(program.main_view().IsVisible());
  EXPECT_TRUE(program.Loaded(FormId::kLogin));
  EXPECT_EQ(program.main_view().Rows(), std::vector<std::string>{"intranet\tBlocked"});
  EXPECT_EQ(program.services.ends, 0);
  // The next close of the window on screen is an ordinary one again.
  program.app().Unload(FormId::kMain, UnloadMode::kControlMenu);
  EXPECT_TRUE(program.Loaded(FormId::kMain));
  EXPECT_EQ(program.main_view().GetWindowState(), WindowState::kMinimized);
  EXPECT_EQ(program.services.boxes.size(), 1u);
}

TEST(Closing, AnExitThatCannotApplyAsksAndYesEndsWithoutWriting) {
  Program program;
  program.WriteState("[settings]\r\nfirstrun=true\r\n");
  program.Start(program.folder.File("gone") + "/hosts");
  program.AddWebsite("intranet");
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  const std::string state = program.State();
  program.services.answers = {MsgBoxResult::kYes};
  program.Main().mmuExit_Click();

  // Asked once: the close that follows Exit does not try the file again.
  EXPECT_EQ(program.services.boxes.size(), 1u);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_EQ(program.services.ends, 1);
  EXPECT_TRUE(program.services.icons.empty());
  EXPECT_EQ(program.State(), state);
  EXPECT_FALSE(std::filesystem::exists(program.folder.File("gone")));
}

TEST(Closing, ExitAsksAgainWhenOnlyItsSecondWriteFails) {
  for (MsgBoxResult answer : {MsgBoxResult::kNo, MsgBoxResult::kYes}) {
    SCOPED_TRACE(static_cast<int>(answer));
    Program program;
    const std::string folder = program.folder.File("etc");
    std::filesystem::create_directory(folder);
    program.WriteState("[settings]\r\nfirstrun=true\r\n");
    program.Start(folder + "/hosts");
    program.AddWebsite("intranet");
    program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
    // Between the two writes the login window unloads; take the folder away there.
    program.views.login->on_unload = [&] { std::filesystem::remove_all(folder); };
    program.services.answers = {answer};
    program.Main().mmuExit_Click();

    ASSERT_EQ(program.services.boxes.size(), 1u);
    EXPECT_TRUE(program.services.boxes[0].text.ends_with(". Exit anyway?"));
    if (answer == MsgBoxResult::kNo) {
      EXPECT_TRUE(program.Loaded(FormId::kMain));
      EXPECT_EQ(program.services.ends, 0);
      program.app().Unload(FormId::kMain, UnloadMode::kControlMenu);
      EXPECT_EQ(program.main_view().GetWindowState(), WindowState::kMinimized)
          << "not left marked for exit";
    } else {
      EXPECT_FALSE(program.app().AnyLoaded());
      EXPECT_EQ(program.services.ends, 1);
    }
  }
}

TEST(Closing, AnExitAfterAnotherProgramsEditEndsOnlyWithoutWritingOverIt) {
  Program program;
  program.WriteHosts(kHosts);
  program.StartOnScreen();
  program.AddWebsite("intranet");
  const std::string edited = std::string(kHosts) + "10.0.0.1 nas\r\n";
  program.WriteHosts(edited);
  program.services.answers = {MsgBoxResult::kYes};
  program.Main().mmuExit_Click();

  ASSERT_EQ(program.services.boxes.size(), 1u) << "no offer to load the file again on the way out";
  EXPECT_NE(program.services.boxes[0].text.find("was changed by another program"),
            std::string::npos);
  EXPECT_EQ(program.services.ends, 1);
  EXPECT_EQ(program.Hosts(), edited);
}

TEST(Closing, AClosingWindowInTheTrayEndsOnYesEvenWhenTheListCannotBeWritten) {
  Program program;
  program.Start(program.folder.File("gone") + "/hosts");
  program.services.answers = {MsgBoxResult::kYes};
  program.app().Unload(FormId::kMain, UnloadMode::kControlMenu);

  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].text, "Exit Tamborelle Rir Avadera?");
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_EQ(program.services.ends, 1);
}

TEST(Closing, UninstallWithoutTheUninstallerChangesNothing) {
  Program program;
  program.WriteHosts(kHosts);
  program.StartOnScreen();
  program.AddWebsite("intranet");
  program.Main().mmuUninstall_Click();

  EXPECT_TRUE(program.services.started.empty());
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_NE(program.services.boxes[0].text.find("unins000.exe"), std::string::npos);
  EXPECT_TRUE(program.Loaded(FormId::kMain));
  EXPECT_EQ(program.Hosts(), kHosts);
  // Not marked for exit: a close still goes to the tray.
  program.app().Unload(FormId::kMain, UnloadMode::kControlMenu);
  EXPECT_TRUE(program.Loaded(FormId::kMain));
}

TEST(Closing, UninstallStartsTheUninstallerAndEndsWithTheListApplied) {
  Program program;
  program.WriteHosts(kHosts);
  testsupport::WriteBytes(program.folder.File("unins000.exe"), "MZ");
  program.StartOnScreen();
  program.AddWebsite("intranet");
  program.Main().mmuUninstall_Click();

  ASSERT_EQ(program.services.started.size(), 1u);
  EXPECT_EQ(program.services.started[0].first, program.folder.File("unins000.exe"));
  EXPECT_EQ(program.services.started[0].second, ui::WindowStyle::kMinimizedFocus);
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tintranet intranet.\r\n::1 \tintranet intranet.\r\n");
  EXPECT_EQ(program.services.ends, 1);
}

TEST(Closing, AnUninstallThatCannotApplyAsksWhetherToEndAnyway) {
  for (MsgBoxResult answer : {MsgBoxResult::kNo, MsgBoxResult::kYes}) {
    SCOPED_TRACE(static_cast<int>(answer));
    Program program;
    testsupport::WriteBytes(program.folder.File("unins000.exe"), "MZ");
    program.WriteState("[settings]\r\nfirstrun=true\r\n");
    program.Start(program.folder.File("gone") + "/hosts");
    program.services.answers = {answer};
    program.Main().mmuUninstall_Click();

    ASSERT_EQ(program.services.boxes.size(), 1u);
    EXPECT_TRUE(program.services.boxes[0].text.ends_with(". Exit anyway?"));
    EXPECT_EQ(program.services.started.size(), 1u);
    EXPECT_EQ(program.Loaded(FormId::kMain), answer == MsgBoxResult::kNo);
    EXPECT_EQ(program.services.ends, answer == MsgBoxResult::kYes ? 1 : 0);
  }
}

// The program without a notification area, its main window closed: the login window stands in
// for the icon.
void StartWithoutNotificationArea(Program& program) {
  program.services.has_notification_area = false;
  program.WriteHosts(kHosts);
  program.StartOnScreen();
  program.AddWebsite("intranet");
  program.app().Unload(FormId::kMain, UnloadMode::kControlMenu);
  ASSERT_FALSE(program.main_view().IsVisible());
  ASSERT_TRUE(program.Loaded(FormId::kLogin));
}

TEST(StandInLogin, ClosingItEndsTheProgramAsExitDoes) {
  for (UnloadMode mode : {UnloadMode::kControlMenu, UnloadMode::kTaskManager}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Program program;
    StartWithoutNotificationArea(program);
    program.app().Unload(FormId::kLogin, mode);

    EXPECT_EQ(program.Hosts(), "127.0.0.1 \tintranet intranet.\r\n::1 \tintranet intranet.\r\n");
    EXPECT_FALSE(program.app().AnyLoaded());
    EXPECT_EQ(program.services.ends, 1);
    EXPECT_TRUE(program.services.boxes.empty());
  }
}

TEST(StandInLogin, ClosingItWhenTheListCannotBeWrittenAsksAndNoKeepsTheWindow) {
  Program program;
  const std::string etc = program.folder.File("etc");
  std::filesystem::create_directory(etc);
  program.hosts_path = etc + "/hosts";
  StartWithoutNotificationArea(program);
  std::filesystem::remove_all(etc);  // no file can be saved there now
  program.views.login->password = "typed";
  program.services.answers = {MsgBoxResult::kNo};
  program.app().Unload(FormId::kLogin, UnloadMode::kControlMenu);

  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_TRUE(program.services.boxes[0].text.ends_with(". Exit anyway?"));
  EXPECT_TRUE(program.Loaded(FormId::kLogin));
  EXPECT_TRUE(program.views.login->IsVisible());
  EXPECT_EQ(program.views.login->password, "typed");
  EXPECT_EQ(program.views.login_loads, 1);
  EXPECT_FALSE(program.main_view().IsVisible());
  EXPECT_EQ(program.services.ends, 0);

  program.services.answers = {MsgBoxResult::kYes};
  program.app().Unload(FormId::kLogin, UnloadMode::kControlMenu);
  EXPECT_EQ(program.services.boxes.size(), 2u);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_EQ(program.services.ends, 1);
}

TEST(StandInLogin, AnAttemptUnloadsItWithoutEndingTheProgram) {
  Program program;
  StartWithoutNotificationArea(program);
  program.views.login->password = "wrong";
  program.app().Login().cmdLogin_Click();

  EXPECT_EQ(program.BoxesWith("Password is incorrect"), 1u);
  EXPECT_FALSE(program.Loaded(FormId::kLogin));
  EXPECT_TRUE(program.Loaded(FormId::kMain));
  EXPECT_EQ(program.services.ends, 0);
  EXPECT_EQ(program.Hosts(), kHosts);
}

TEST(StandInLogin, ClosingALoginWindowWithAWayBackOnlyClosesIt) {
  for (bool notification_area : {true, false}) {
    SCOPED_TRACE(notification_area);
    Program program;
    program.services.has_notification_area = notification_area;
    program.WriteHosts(kHosts);
    if (notification_area) {
      program.Start();  // to the tray: the icon brings the login window back
    } else {
      program.StartOnScreen();  // the main window stays on screen
    }
    program.AddWebsite("intranet");
    program.app().AnotherCopyStarted();
    ASSERT_TRUE(program.Loaded(FormId::kLogin));
    program.app().Unload(FormId::kLogin, UnloadMode::kControlMenu);

    EXPECT_FALSE(program.Loaded(FormId::kLogin));
    EXPECT_TRUE(program.Loaded(FormId::kMain));
    EXPECT_EQ(program.services.ends, 0);
    EXPECT_EQ(program.Hosts(), kHosts);
  }
}

TEST(Closing, TheEndOfTheSessionNeverAsksAndAppliesTheList) {
  for (bool in_tray : {false, true}) {
    SCOPED_TRACE(in_tray);
    Program program;
    program.WriteHosts(kHosts);
    program.Start();
    program.LogIn("");
    program.AddWebsite("intranet");
    if (in_tray) {
      program.Main().MinimizeForm();
      program.app().EndSession();
    } else {
      // The session ends while the modal password window is open.
      program.views.password_user = [&](ui::frmPassword&) { program.app().EndSession(); };
      program.Main().mmuPassword_Click();
    }

    EXPECT_TRUE(program.services.boxes.empty());
    EXPECT_EQ(program.Hosts(),
              "127.0.0.1 \told.com old.com.\r\n::1 \told.com old.com.\r\n127.0.0.1 \tintranet "
              "intranet.\r\n::1 \tintranet intranet.\r\n");
    EXPECT_FALSE(program.app().AnyLoaded());
    EXPECT_EQ(program.services.ends, 1);
  }
}

TEST(Closing, TheEndOfTheSessionEndsTheProgramEvenWhenTheListCannotBeWritten) {
  Program program;
  program.WriteState("[settings]\r\nfirstrun=true\r\n");
  program.Start(program.folder.File("gone") + "/hosts");
  program.app().EndSession();

  EXPECT_EQ(program.BoxesWith("not applied"), 1u);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_EQ(program.services.ends, 1);
}

}  // namespace
