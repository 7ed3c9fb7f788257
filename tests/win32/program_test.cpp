// What only the Windows program does, through window messages to its real windows: the shell's
// tray record and Explorer's restart, the session's end, a second start and the message boxes'
// styles. The scenarios both programs share are in tests/scenarios/.
#include <gtest/gtest.h>

#include "controls.h"
#include "file_chooser.h"
#include "hosts_lines.h"
#include "resource.h"
#include "single_copy.h"
#include "windows_program.h"

namespace {

using wintest::WindowsProgram;

TEST(WindowsProgram, TheTrayIconIsTheShellsFirstRecord) {
  WindowsProgram program;
  program.Start(/*first_run=*/false);
  const HWND main = program.Main();
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

TEST(WindowsProgram, TheSessionsEndWritesTheListAndEnds) {
  WindowsProgram program;
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();
  program.Type(program.Control(main, win32::kMainTable.Id("txtWebsite")), "new.com");
  program.PressEnter(program.Control(main, win32::kMainTable.Id("txtWebsite")));
  EXPECT_EQ(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(program.Hosts(), testsupport::AddedLines("new.com", "\r\n"));
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(program.services().program_ended());
  EXPECT_TRUE(program.boxes.empty()) << "the session's end asks nothing";
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

TEST(WindowsProgram, FileFiltersAndPathsAreTheSystems) {
  const ui::FileChoice choice{.filters = {{"Text files", "*.txt;*.lst"}}};
  EXPECT_EQ(win32::FileFilters(choice),
            std::wstring(L"Text files\0*.txt;*.lst\0All files\0*.*\0\0", 38));
  EXPECT_EQ(win32::AnsiPath(L"C:\\a\\b.txt"), "C:\\a\\b.txt");
  if (GetACP() == 1252) {
    EXPECT_EQ(win32::AnsiPath(L"C:\\\u4e2d.txt"), std::nullopt) << "no CJK in code page 1252";
  }
}

TEST(WindowsProgram, MessageBoxStylesAreTheSystems) {
  EXPECT_EQ(win32::MessageBoxStyle(ui::MsgBoxButtons::kYesNo, ui::MsgBoxIcon::kQuestion), 36u);
  EXPECT_EQ(win32::MessageBoxStyle(ui::MsgBoxButtons::kOk, ui::MsgBoxIcon::kCritical), 16u);
  EXPECT_EQ(win32::MessageBoxStyle(ui::MsgBoxButtons::kOk, ui::MsgBoxIcon::kNone), 0u);
}

}  // namespace
