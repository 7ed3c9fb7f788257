// The Windows program driven as a user drives it, through window messages to its real windows:
// editing and applying the list, the tray and the login, closing, exit, the session's end, the
// password change, the uninstaller and a second start.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "control_table.h"
#include "controls.h"
#include "resource.h"
#include "single_copy.h"
#include "windows_program.h"

namespace {

using wintest::WindowsProgram;

TEST(WindowsProgram, AddsEditsAndAppliesThroughTheWindow) {
  WindowsProgram program;
  program.WriteHosts("# kept\r\n127.0.0.1 \told.com\r\n");
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();
  ASSERT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(program.Rows().empty()) << "the first run empties the list";

  const HWND website = program.Control(main, win32::kMainTable.Id("txtWebsite"));
  const HWND add_entry = program.Control(main, win32::kMainTable.Id("cmdAddEntry"));
  program.Type(website, " ");
  EXPECT_TRUE(IsWindowEnabled(add_entry)) << "blanks count as text";
  program.Type(website, "");
  EXPECT_FALSE(IsWindowEnabled(add_entry));

  program.Type(website, "example.com");
  program.PressEnter(website);
  program.Type(website, "b.org");
  program.Click(add_entry);
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"example.com\tBlocked", "b.org\tBlocked"}));
  EXPECT_EQ(program.SelectedRow(), 1);
  EXPECT_EQ(win32::TextOf(website), "");
  EXPECT_FALSE(IsWindowEnabled(add_entry));

  program.ClickPicture(main, win32::kMainTable.Id("imgAllow"));
  EXPECT_EQ(program.Rows()[1], "b.org\tAllowed");
  // The user selects the first row in the list itself.
  LVITEMA selected{};
  selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(program.Control(main, win32::kMainTable.Id("lvwWebsites")), LVM_SETITEMSTATE, 0,
               reinterpret_cast<LPARAM>(&selected));
  program.Menu(IDM_ALLOW);
  program.ClickPicture(main, win32::kMainTable.Id("imgBlock"));
  EXPECT_EQ(program.Rows()[0], "example.com\tBlocked");
  program.Menu(IDM_REMOVE_SITE);
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"b.org\tAllowed"}));

  program.Type(website, "b.org");
  program.PressEnter(website);
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_EQ(program.boxes[0].text, "This entry already exists!");
  EXPECT_EQ(program.boxes[0].icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(program.Rows().size(), 1u);

  const HWND notice = program.Control(main, win32::kMainTable, "lblMessage");
  EXPECT_FALSE(IsWindowVisible(notice));
  program.ClickPicture(main, win32::kMainTable.Id("imgApply"));
  EXPECT_EQ(program.Hosts(), "# kept\r\n#127.0.0.1 \tb.org\r\n");
  EXPECT_TRUE(IsWindowVisible(notice));

  program.Menu(IDM_CLEAR_ALL);
  program.Menu(IDM_SUPPORT);
  program.Menu(IDM_ABOUT);
  EXPECT_TRUE(program.Rows().empty());
  program.Click(program.Control(main, win32::kMainTable.Id("Command3")));
  EXPECT_EQ(win32::TextOf(program.Control(main, win32::kMainTable.Id("txtExport"))), "# kept\r\n");
  program.Menu(IDM_APPLY);
  EXPECT_EQ(program.Hosts(), "# kept\r\n");
  EXPECT_EQ(program.boxes.size(), 1u);
}

TEST(WindowsProgram, AMillionLineHostsFileShowsAtOnce) {
  WindowsProgram program;
  std::string hosts;
  constexpr int kLines = 1'000'000;
  hosts.reserve(kLines * 24);
  for (int line = 0; line < kLines; ++line) {
    hosts += "127.0.0.1 \tsite" + std::to_string(line) + ".example\r\n";
  }
  program.WriteHosts(hosts);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.TrayMessage(WM_LBUTTONDBLCLK);
  program.Click(program.Control(program.Login(), win32::kLoginTable.Id("cmdLogin")));
  const HWND list = program.Control(program.Main(), win32::kMainTable.Id("lvwWebsites"));
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), kLines);
  SendMessageA(list, LVM_ENSUREVISIBLE, kLines - 1, FALSE);
  UpdateWindow(list);
  EXPECT_EQ(program.Row(kLines - 1), "site999999.example\tBlocked");
}

TEST(WindowsProgram, TrayIconOpensTheLoginWindow) {
  WindowsProgram program;
  program.WriteState("[settings]\r\npwd=secret\r\n");
  program.Start(/*first_run=*/false);
  const HWND main = program.Main();
  EXPECT_FALSE(IsWindowVisible(main)) << "every run but the first starts in the tray";
  EXPECT_TRUE(IsIconic(main));
  ASSERT_TRUE(program.services().tray_icon());
  const NOTIFYICONDATAA& icon = *program.services().tray_icon();
  EXPECT_EQ(icon.cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(icon.hWnd, main);
  EXPECT_EQ(icon.uID, 1u);
  EXPECT_EQ(icon.uFlags, 7u);
  EXPECT_EQ(icon.uCallbackMessage, win32::kTrayCallbackMessage);
  EXPECT_EQ(icon.hIcon, reinterpret_cast<HICON>(SendMessageA(main, WM_GETICON, ICON_SMALL, 0)));
  EXPECT_EQ(std::string(icon.szTip, 64),
            "Tamborelle Rir Avadera" + std::string(1, '\0') + std::string(64 - 23, ' '));

  program.TrayMessage(WM_LBUTTONDOWN);
  program.TrayMessage(WM_RBUTTONDBLCLK);
  EXPECT_EQ(program.Login(), nullptr) << "only a left double-click opens it";
  program.TrayMessage(WM_LBUTTONDBLCLK);
  ASSERT_NE(program.Login(), nullptr);
  EXPECT_TRUE(IsWindowVisible(program.Login()));
  HWND password = program.Control(program.Login(), win32::kLoginTable.Id("txtPassword"));
  program.Type(password, "Secret");
  program.PressEnter(password);
  EXPECT_EQ(program.BoxesWith("Password is incorrect"), 1u);
  EXPECT_EQ(program.Login(), nullptr) << "one attempt, then the window goes";
  EXPECT_FALSE(IsWindowVisible(main));

  program.TrayMessage(WM_LBUTTONDBLCLK);
  password = program.Control(program.Login(), win32::kLoginTable.Id("txtPassword"));
  program.Type(password, "secret");
  program.Click(program.Control(program.Login(), win32::kLoginTable.Id("cmdLogin")));
  EXPECT_EQ(program.Login(), nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(program.boxes.size(), 1u);
}

TEST(WindowsProgram, ExplorersRestartBringsTheIconBack) {
  WindowsProgram program;
  program.Start(/*first_run=*/false);
  ASSERT_TRUE(program.services().tray_icon());
  NOTIFYICONDATAA icon = *program.services().tray_icon();
  if (!Shell_NotifyIconA(NIM_MODIFY, &icon)) {
    GTEST_SKIP() << "no notification area answers here";
  }
  // The shell forgets the icon, as a restarted Explorer does, and says so.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
  ASSERT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &icon));
  SendMessageA(program.Main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &icon));
}

TEST(WindowsProgram, CloseSendsToTheTrayAndAsksFromThere) {
  WindowsProgram program;
  program.WriteHosts("127.0.0.1 \told.com\r\n");
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();
  program.Type(program.Control(main, win32::kMainTable.Id("txtWebsite")), "new.com");
  program.PressEnter(program.Control(main, win32::kMainTable.Id("txtWebsite")));

  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(program.services().tray_icon());
  EXPECT_TRUE(program.boxes.empty());
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \told.com\r\n") << "closing writes nothing";

  program.answers = {ui::MsgBoxResult::kNo};
  SendMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_EQ(program.boxes[0].caption, "Exit");
  EXPECT_EQ(program.boxes[0].buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_TRUE(IsWindow(main));
  EXPECT_FALSE(program.services().program_ended());

  program.answers = {ui::MsgBoxResult::kYes};
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(program.services().tray_icon());
  EXPECT_TRUE(program.services().program_ended());
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \told.com\r\n") << "Yes applies nothing";
}

TEST(WindowsProgram, ExitAndTheSessionsEndWriteTheListAndEnd) {
  for (const bool session_end : {false, true}) {
    SCOPED_TRACE(session_end ? "session end" : "Exit");
    WindowsProgram program;
    program.Start(/*first_run=*/true);
    const HWND main = program.Main();
    program.Type(program.Control(main, win32::kMainTable.Id("txtWebsite")), "new.com");
    program.PressEnter(program.Control(main, win32::kMainTable.Id("txtWebsite")));
    if (session_end) {
      EXPECT_EQ(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
      SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    } else {
      program.Menu(IDM_EXIT);
    }
    EXPECT_EQ(program.Hosts(), "127.0.0.1 \tnew.com\r\n");
    EXPECT_FALSE(IsWindow(main));
    EXPECT_TRUE(program.services().program_ended());
    EXPECT_TRUE(program.boxes.empty());
  }
}

TEST(WindowsProgram, ChangesThePasswordInTheModalWindow) {
  WindowsProgram program;
  program.Start(/*first_run=*/true);
  for (const char* confirm : {"n3w pass", "n3w pasS"}) {
    program.Later([&] {
      const HWND window = program.Password();
      ASSERT_NE(window, nullptr);
      program.Type(program.Control(window, win32::kPasswordTable.Id("txtPassword")), "n3w pass");
      program.Type(program.Control(window, win32::kPasswordTable.Id("txtConfirm")), confirm);
      program.Click(program.Control(window, win32::kPasswordTable.Id("cmdSavePassword")));
    });
    program.Menu(IDM_PASSWORD);
    EXPECT_EQ(program.Password(), nullptr);
  }
  ASSERT_EQ(program.boxes.size(), 2u);
  EXPECT_EQ(program.boxes[0].text, "Password Succesfully changed!");
  EXPECT_EQ(program.boxes[1].text, "The passwords do not match!");
  const std::string state = testsupport::ReadBytes(program.state_path);
  EXPECT_NE(state.find("pwd="), std::string::npos);
  EXPECT_EQ(state.find("n3w"), std::string::npos) << "only a hash is kept";

  program.TrayMessage(WM_LBUTTONDBLCLK);
  const HWND login = program.Login();
  program.Type(program.Control(login, win32::kLoginTable.Id("txtPassword")), "n3w pass");
  program.Click(program.Control(login, win32::kLoginTable.Id("cmdLogin")));
  EXPECT_EQ(program.boxes.size(), 2u) << "the new password lets the user in";
}

TEST(WindowsProgram, RestoresAKeptHostsFileThroughItsChooser) {
  WindowsProgram program;
  const std::string original = "# kept\r\n127.0.0.1 \told.com\r\n";
  program.WriteHosts(original);
  program.Start(/*first_run=*/true);
  program.Menu(IDM_APPLY);  // the first run emptied the list: only the comment stays
  ASSERT_EQ(program.Hosts(), "# kept\r\n");
  const HWND main = program.Main();
  const HWND notice = program.Control(main, win32::kMainTable, "lblMessage");
  ShowWindow(notice, SW_HIDE);  // to see the restore show it again

  // Cancel leaves everything as it was.
  program.InChooser([&](HWND chooser) {
    EXPECT_EQ(win32::TextOf(chooser), "Restore Hosts File");
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main)) << "modal over the main window";
    const std::vector<std::string> rows = program.ChooserRows(chooser);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].ends_with("\t28 bytes\t1")) << rows[0];
    program.Click(program.Control(chooser, IDCANCEL));
  });
  program.Menu(IDM_RESTORE);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(program.Hosts(), "# kept\r\n");
  EXPECT_TRUE(program.Rows().empty());
  EXPECT_FALSE(IsWindowVisible(notice));

  // The user picks the copy in the list and presses Restore.
  program.InChooser([&](HWND chooser) {
    const HWND list = program.Control(chooser, IDC_CHOOSER_LIST);
    const HWND restore = program.Control(chooser, IDOK);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_FALSE(IsWindowEnabled(restore)) << "nothing picked, nothing to restore";
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_TRUE(IsWindowEnabled(restore));
    program.Click(restore);
  });
  program.Menu(IDM_RESTORE);
  EXPECT_EQ(program.Hosts(), original);
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"old.com\tBlocked"}));
  EXPECT_TRUE(IsWindowVisible(notice));

  // The text the restore replaced is the newest copy now; restoring it undoes the restore.
  program.InChooser([&](HWND chooser) {
    const std::vector<std::string> rows = program.ChooserRows(chooser);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].ends_with("\t8 bytes\t0")) << rows[0];
    program.Click(program.Control(chooser, IDOK));
  });
  program.Menu(IDM_RESTORE);
  EXPECT_EQ(program.Hosts(), "# kept\r\n");
  EXPECT_TRUE(program.Rows().empty());
  EXPECT_TRUE(program.boxes.empty());
}

TEST(WindowsProgram, UninstallStartsTheUninstallerBesideTheProgram) {
  WindowsProgram program;
  program.Start(/*first_run=*/true);
  program.Menu(IDM_UNINSTALL);
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_NE(program.boxes[0].text.find("unins000.exe"), std::string::npos);
  EXPECT_FALSE(program.services().program_ended()) << "nothing was started, nothing ends";

  std::filesystem::copy_file(RIR_FAKE_UNINSTALLER, program.folder.File("unins000.exe"));
  program.Menu(IDM_UNINSTALL);
  EXPECT_TRUE(program.services().program_ended());
  const std::string marker = program.folder.File("unins000.started");
  for (int wait = 0; wait < 200 && !std::filesystem::exists(marker); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(testsupport::ReadBytes(marker), "show 2");
}

TEST(WindowsProgram, ASecondStartOpensTheFirstCopysLoginWindow) {
  const win32::SingleCopy first("Local\\TamborelleRirAvadera.Test");
  const win32::SingleCopy second("Local\\TamborelleRirAvadera.Test");
  EXPECT_TRUE(first.first());
  EXPECT_FALSE(second.first());

  WindowsProgram program;
  program.Start(/*first_run=*/false);
  EXPECT_EQ(program.Login(), nullptr);
  ASSERT_TRUE(win32::SingleCopy::WakeFirstCopy());
  program.Pump();
  ASSERT_NE(program.Login(), nullptr);
  EXPECT_TRUE(IsWindowVisible(program.Login()));
}

TEST(WindowsProgram, MessageBoxStylesAreTheSystems) {
  EXPECT_EQ(win32::MessageBoxStyle(ui::MsgBoxButtons::kYesNo, ui::MsgBoxIcon::kQuestion), 36u);
  EXPECT_EQ(win32::MessageBoxStyle(ui::MsgBoxButtons::kOk, ui::MsgBoxIcon::kCritical), 16u);
  EXPECT_EQ(win32::MessageBoxStyle(ui::MsgBoxButtons::kOk, ui::MsgBoxIcon::kNone), 0u);
}

}  // namespace
