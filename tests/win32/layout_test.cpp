// The three windows as they are laid out: sizes, frames, controls, fonts, menus and the order in
// which the focus moves, at the usual 96 DPI and scaled for a larger one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls.h"
#include "native_window.h"
#include "resource.h"
#include "windows_program.h"

namespace {

using wintest::WindowsProgram;

struct Expected {
  int id;
  RECT where;  // left, top, right, bottom in the parent's client area
};

RECT At(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

void ExpectPlaced(const WindowsProgram& program, HWND window, const std::vector<Expected>& table) {
  for (const Expected& expected : table) {
    const HWND control = GetDlgItem(window, expected.id);
    ASSERT_NE(control, nullptr) << "control " << expected.id;
    const RECT where = program.Placement(control);
    EXPECT_EQ(where.left, expected.where.left) << "control " << expected.id;
    EXPECT_EQ(where.top, expected.where.top) << "control " << expected.id;
    EXPECT_EQ(where.right, expected.where.right) << "control " << expected.id;
    EXPECT_EQ(where.bottom, expected.where.bottom) << "control " << expected.id;
  }
}

void ExpectFixedFrame(HWND window, const char* caption) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the user cannot resize it";
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(win32::TextOf(window), caption);
  EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
}

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

void ExpectFont(HWND control, const char* face, int height, bool bold) {
  const LOGFONTA font = FontOf(control);
  EXPECT_STREQ(font.lfFaceName, face);
  EXPECT_EQ(font.lfHeight, height);
  EXPECT_EQ(font.lfWeight >= FW_BOLD, bold);
}

std::vector<int> ChildrenInTabOrder(HWND window) {
  std::vector<int> ids;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ids.push_back(GetDlgCtrlID(child));
  }
  return ids;
}

std::string MenuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST(MainWindowLayout, MatchesTheWindowsTableAt96Dpi) {
  WindowsProgram program;
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();
  ExpectFixedFrame(main, "Tamborelle Website Durezur");
  const SIZE client = program.ClientSize(main);
  EXPECT_EQ(client.cx, 575);
  EXPECT_EQ(client.cy, 588);

  ExpectPlaced(program, main,
               {{IDC_COMMAND1, At(664, 408, 201, 49)},
                {IDC_STATUSBAR1, At(0, 563, 575, 25)},
                {IDC_LVWWEBSITES, At(8, 200, 561, 305)},
                {IDC_TXTEXPORT, At(600, 88, 297, 273)},
                {IDC_COMMAND3, At(712, 368, 129, 33)},
                {IDC_CMDADDENTRY, At(464, 152, 105, 33)},
                {IDC_TXTWEBSITE, At(8, 152, 449, 33)},
                {IDC_LBLENTERWEBSITE, At(8, 128, 289, 25)},
                {IDC_PICTURE1, At(0, 0, 576, 121)},
                {IDC_IMGALLOW, At(8, 512, 124, 33)},
                {IDC_IMGBLOCK, At(136, 512, 124, 33)},
                {IDC_IMGAPPLY, At(443, 511, 124, 33)}});
  const HWND picture1 = program.Control(main, IDC_PICTURE1);
  ExpectPlaced(program, picture1, {{IDC_LBLMESSAGE, At(144, 88, 257, 17)}});
  EXPECT_EQ(program.ClientSize(picture1).cx, 574) << "a one-pixel border around the banner";

  // Created in the table's order, which is the order of the Tab key.
  EXPECT_EQ(ChildrenInTabOrder(main),
            (std::vector<int>{IDC_COMMAND1, IDC_STATUSBAR1, IDC_LVWWEBSITES, IDC_TXTEXPORT,
                              IDC_COMMAND3, IDC_CMDADDENTRY, IDC_TXTWEBSITE, IDC_LBLENTERWEBSITE,
                              IDC_PICTURE1, IDC_IMGALLOW, IDC_IMGBLOCK, IDC_IMGAPPLY}));
  EXPECT_EQ(GetFocus(), program.Control(main, IDC_COMMAND1));
  // Tab goes past the status bar, the disabled "Add Entry" and the labels.
  const std::vector<int> tab_stops = {IDC_LVWWEBSITES, IDC_TXTEXPORT, IDC_COMMAND3,
                                      IDC_TXTWEBSITE,  IDC_PICTURE1,  IDC_COMMAND1};
  for (const int expected : tab_stops) {
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    win32::DispatchWithDialogKeys(tab);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), expected);
  }

  EXPECT_FALSE(IsWindowEnabled(program.Control(main, IDC_CMDADDENTRY)));
  EXPECT_FALSE(IsWindowVisible(program.Control(picture1, IDC_LBLMESSAGE)));
  EXPECT_EQ(win32::TextOf(program.Control(picture1, IDC_LBLMESSAGE)),
            "Important: Restart your Web Browser!");
  EXPECT_EQ(win32::TextOf(program.Control(main, IDC_COMMAND3)), "Preview Saved Data");
  ExpectFont(program.Control(main, IDC_LVWWEBSITES), "Verdana", -13, true);
  ExpectFont(program.Control(main, IDC_TXTWEBSITE), "Verdana", -15, true);
  ExpectFont(program.Control(main, IDC_LBLENTERWEBSITE), "Verdana", -16, true);
  ExpectFont(program.Control(picture1, IDC_LBLMESSAGE), "Verdana", -11, true);
  ExpectFont(program.Control(main, IDC_CMDADDENTRY), "MS Sans Serif", -11, false);
}

TEST(MainWindowLayout, ListColumnsStatusBarAndMenus) {
  WindowsProgram program;
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();

  const HWND list = program.Control(main, IDC_LVWWEBSITES);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE));
  EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  char header[32] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header;
  column.cchTextMax = sizeof header;
  ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(header, "Website");
  EXPECT_EQ(column.cx, 400);
  ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(header, "Status");
  EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(&column)));

  const HWND status_bar = program.Control(main, IDC_STATUSBAR1);
  int edges[4] = {};
  EXPECT_EQ(SendMessageA(status_bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 1);
  EXPECT_EQ(edges[0], 133);
  char address[128] = {};
  SendMessageA(status_bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(address));
  EXPECT_STREQ(address, "www.tamborelle.com");

  const HMENU bar = GetMenu(main);
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  const std::vector<std::vector<std::string>> expected = {
      {"File", "Apply Settings", "Restore Hosts File...", "Change Password...", "", "Exit"},
      {"Edit", "Allow Site", "Block Site", "Remove Site", "", "Clear All"},
      {"Help", "Support", "", "Uninstall Rir Avadera", "About"}};
  for (UINT menu = 0; menu < 3; ++menu) {
    const HMENU items = GetSubMenu(bar, static_cast<int>(menu));
    std::vector<std::string> seen = {MenuText(bar, menu)};
    for (int item = 0; item < GetMenuItemCount(items); ++item) {
      seen.push_back(MenuText(items, static_cast<UINT>(item)));
      if (seen.back().empty()) {
        EXPECT_TRUE(GetMenuState(items, static_cast<UINT>(item), MF_BYPOSITION) & MF_SEPARATOR);
      }
    }
    EXPECT_EQ(seen, expected[menu]);
  }
}

TEST(MainWindowLayout, GrowsWithTheScreensDpi) {
  WindowsProgram program(win32::Scale{144});
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();
  const SIZE client = program.ClientSize(main);
  EXPECT_EQ(client.cx, 863);
  EXPECT_EQ(client.cy, 882);
  ExpectPlaced(program, main,
               {{IDC_LVWWEBSITES, RECT{12, 300, 854, 758}},
                {IDC_IMGAPPLY, RECT{665, 767, 851, 816}},
                {IDC_STATUSBAR1, RECT{0, 845, 863, 882}}});
  ExpectFont(program.Control(main, IDC_LVWWEBSITES), "Verdana", -20, true);
  // The pictures grow with their controls.
  BITMAP picture{};
  GetObjectA(reinterpret_cast<HBITMAP>(
                 SendMessageA(program.Control(main, IDC_IMGAPPLY), STM_GETIMAGE, IMAGE_BITMAP, 0)),
             sizeof picture, &picture);
  EXPECT_EQ(picture.bmWidth, 186);
  EXPECT_EQ(picture.bmHeight, 50);
}

TEST(LoginAndPasswordLayout, MatchTheirTables) {
  WindowsProgram program;
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.TrayMessage(WM_LBUTTONDBLCLK);
  const HWND login = program.Login();
  ASSERT_NE(login, nullptr);
  ExpectFixedFrame(login, "Login");
  EXPECT_EQ(program.ClientSize(login).cx, 406);
  EXPECT_EQ(program.ClientSize(login).cy, 111);
  ExpectPlaced(program, login,
               {{IDC_LOGIN_LABEL1, At(96, 8, 241, 25)},
                {IDC_LOGIN_LABEL2, At(104, 16, 41, 41)},
                {IDC_LOGIN_LABEL3, At(144, 16, 97, 41)},
                {IDC_LOGIN_TXTPASSWORD, At(168, 48, 233, 25)},
                {IDC_LOGIN_LABEL4, At(112, 56, 81, 25)},
                {IDC_LOGIN_CMDLOGIN, At(328, 80, 73, 25)}});
  EXPECT_EQ(SendMessageA(program.Control(login, IDC_LOGIN_TXTPASSWORD), EM_GETPASSWORDCHAR, 0, 0),
            '*');
  ExpectFont(program.Control(login, IDC_LOGIN_LABEL2), "MS Sans Serif", -16, true);
  EXPECT_EQ(win32::TextOf(program.Control(login, IDC_LOGIN_LABEL2)), "Web");
  program.Click(program.Control(login, IDC_LOGIN_CMDLOGIN));  // the empty password is right
  ASSERT_TRUE(IsWindowVisible(program.Main()));

  bool checked = false;
  program.Later([&] {
    const HWND password = program.Password();
    ASSERT_NE(password, nullptr);
    ExpectFixedFrame(password, "Change Password");
    EXPECT_EQ(program.ClientSize(password).cx, 337);
    EXPECT_EQ(program.ClientSize(password).cy, 113);
    ExpectPlaced(program, password,
                 {{IDC_PASSWORD_LABEL1, At(8, 24, 89, 17)},
                  {IDC_PASSWORD_LABEL2, At(8, 56, 89, 17)},
                  {IDC_PASSWORD_TXTPASSWORD, At(72, 16, 257, 25)},
                  {IDC_PASSWORD_TXTCONFIRM, At(72, 48, 257, 25)},
                  {IDC_PASSWORD_CMDSAVEPASSWORD, At(232, 80, 97, 25)}});
    EXPECT_EQ(GetWindow(password, GW_OWNER), program.Main());
    EXPECT_FALSE(IsWindowEnabled(program.Main())) << "modal over the main window";
    checked = true;
    SendMessageA(password, WM_CLOSE, 0, 0);
  });
  program.Menu(IDM_PASSWORD);
  EXPECT_TRUE(checked);
  EXPECT_EQ(program.Password(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(program.Main()));
}

}  // namespace
