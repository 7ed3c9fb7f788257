// The windows as the layout tables give them: every row of each table checked against the
// native control that the window made of it (its parent, place, size, caption, font, colours,
// state and kind), at the usual 96 DPI and scaled for a larger one, and the order of the Tab key
// walked with the real dialog keys. The numbers live in the tables only.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_table.h"
#include "controls.h"
#include "form_window.h"
#include "resource.h"
#include "windows_program.h"

namespace {

using ui::layout::Kind;
using win32::ControlTable;
using wintest::WindowsProgram;

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

COLORREF ToColorRef(const ui::layout::Colour& colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

void ExpectFixedFrame(HWND window, const ui::layout::FormLayout& layout, win32::Scale scale) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the user cannot resize it";
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(win32::TextOf(window), layout.caption);
  EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, scale(layout.client_width));
  EXPECT_EQ(client.bottom, scale(layout.client_height))
      << "the client area lies below any menu bar";
  if (const HMENU menu = GetMenu(window)) {
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetMenuBarInfo(window, OBJID_MENU, 0, &bar));
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    // The bar's rectangle takes in the one-pixel line between it and the client area.
    EXPECT_GE(origin.y + 1, bar.rcBar.bottom) << "the controls start below the menu bar";
  }
}

// The colours the window gives a control as it paints, as its parent answers the control's
// WM_CTLCOLOR message.
struct Painted {
  COLORREF text;
  int background_mode;
};

Painted PaintedColours(HWND control, bool edit) {
  const HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkMode(dc, OPAQUE);
  SendMessageA(GetParent(control), edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
               reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  const Painted painted{GetTextColor(dc), GetBkMode(dc)};
  DeleteDC(dc);
  return painted;
}

// One row of a table against the control the window made of it.
void ExpectRow(const WindowsProgram& program, HWND window, const ControlTable& table,
               const ui::layout::Control& row, win32::Scale scale) {
  SCOPED_TRACE(std::string(row.name));
  const HWND parent =
      row.container.empty() ? window : program.Control(window, table, row.container);
  ASSERT_NE(parent, nullptr);
  const HWND control = GetDlgItem(parent, table.Id(row.name));
  ASSERT_NE(control, nullptr) << "not a child of its container";

  // Edges are scaled, not sizes: controls that meet at 96 DPI meet at any DPI.
  const RECT where = program.Placement(control);
  EXPECT_EQ(where.left, scale(row.rect.left));
  EXPECT_EQ(where.top, scale(row.rect.top));
  EXPECT_EQ(where.right, scale(row.rect.right()));
  EXPECT_EQ(where.bottom, scale(row.rect.bottom()));

  if (row.kind == Kind::kPushButton || row.kind == Kind::kLabel || row.kind == Kind::kCheckBox) {
    EXPECT_EQ(win32::TextOf(control), row.caption);
  }
  if (row.kind != Kind::kPictureBox && row.kind != Kind::kPictureButton) {
    const LOGFONTA font = FontOf(control);
    EXPECT_EQ(std::string(font.lfFaceName), row.font.face);
    EXPECT_EQ(font.lfHeight, scale.FontHeight(row.font.centipoints));
    EXPECT_EQ(font.lfWeight >= FW_BOLD, row.font.bold);
  }
  EXPECT_EQ(IsWindowVisible(control) != FALSE, row.shown && IsWindowVisible(window));
  EXPECT_EQ(IsWindowEnabled(control) != FALSE, row.enabled);

  const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
  EXPECT_EQ((style & WS_TABSTOP) != 0, ui::layout::TakesFocus(row.kind));
  if (row.kind == Kind::kCheckBox) {
    EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX)) << "ticks itself";
  }
  if (row.kind == Kind::kPasswordBox) {
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_EQ(SendMessageA(control, EM_GETPASSWORDCHAR, 0, 0), '*');
  }
  if (row.kind == Kind::kTextBox || row.kind == Kind::kPasswordBox ||
      row.kind == Kind::kMultiLineTextBox) {
    EXPECT_EQ((style & ES_MULTILINE) != 0, row.kind == Kind::kMultiLineTextBox);
    EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL)) << "no scroll bars";
    EXPECT_GE(static_cast<DWORD>(SendMessageA(control, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu)
        << "no length limit";
    const Painted painted = PaintedColours(control, /*edit=*/true);
    if (row.text_colour) {
      EXPECT_EQ(painted.text, ToColorRef(*row.text_colour));
    }
  }
  if (row.kind == Kind::kLabel && !row.transparent) {
    // An opaque label lies beneath the controls its box reaches into, which show whole.
    EXPECT_TRUE(style & WS_CLIPSIBLINGS);
    RECT label{};
    GetWindowRect(control, &label);
    for (HWND below = GetWindow(control, GW_HWNDNEXT); below;
         below = GetWindow(below, GW_HWNDNEXT)) {
      RECT other{};
      RECT common{};
      GetWindowRect(below, &other);
      EXPECT_FALSE(IntersectRect(&common, &label, &other))
          << "control " << GetDlgCtrlID(below) << " lies beneath the label it touches";
    }
  }
  if (row.kind == Kind::kLabel) {
    const Painted painted = PaintedColours(control, /*edit=*/false);
    EXPECT_EQ(painted.background_mode, row.transparent ? TRANSPARENT : OPAQUE);
    EXPECT_EQ(painted.text,
              row.text_colour ? ToColorRef(*row.text_colour) : GetSysColor(COLOR_WINDOWTEXT));
  }
}

void ExpectTable(const WindowsProgram& program, HWND window, const ControlTable& table,
                 win32::Scale scale) {
  ASSERT_NE(window, nullptr);
  ExpectFixedFrame(window, table.layout, scale);
  for (const ui::layout::Control& row : table.layout.controls) {
    ExpectRow(program, window, table, row, scale);
  }
}

// The names of the controls the Tab key stops at, from the first that takes the focus around to
// it again, walked with the real dialog keys. Disabled controls are enabled first, as they
// would be in use, so that the whole order is walked.
std::vector<std::string_view> WalkTabKey(const WindowsProgram& program, HWND window,
                                         const ControlTable& table) {
  std::vector<std::string_view> expected;
  for (const ui::layout::Control& row : table.layout.controls) {
    if (ui::layout::TakesFocus(row.kind) && row.shown) {
      EnableWindow(program.Control(window, table, row.name), TRUE);
      expected.push_back(row.name);
    }
  }
  const HWND first = program.Control(window, table, expected.front());
  SetFocus(first);
  std::vector<std::string_view> walked;
  HWND focus = first;
  do {
    const auto row = table.RowOfId(GetDlgCtrlID(focus));
    walked.push_back(row ? table.layout.controls[*row].name : "(not in the table)");
    MSG tab{focus, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    win32::DispatchWithDialogKeys(tab);
    focus = GetFocus();
  } while (focus != first && focus && walked.size() <= table.layout.controls.size());
  EXPECT_EQ(walked, expected) << "the Tab key follows the table";
  return walked;
}

std::string MenuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

class MainWindowLayout : public testing::TestWithParam<int> {};

TEST_P(MainWindowLayout, EveryRowOfTheTableAtTheScreensDpi) {
  const win32::Scale scale{GetParam()};
  WindowsProgram program(scale);
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();
  ExpectTable(program, main, win32::kMainTable, scale);
  // The first control that takes the focus holds it when the window first shows.
  EXPECT_EQ(GetFocus(), program.Control(main, win32::kMainTable, "Command1"));
  WalkTabKey(program, main, win32::kMainTable);

  // The banner lies inside a one-pixel border.
  const ui::layout::Control& banner = ui::kMainLayout["Picture1"];
  EXPECT_EQ(program.ClientSize(program.Control(main, win32::kMainTable, "Picture1")).cx,
            scale(banner.rect.right()) - scale(banner.rect.left) - 2);
  // The pictures grow with their controls.
  const ui::layout::Control& apply = ui::kMainLayout["imgApply"];
  BITMAP picture{};
  GetObjectA(
      reinterpret_cast<HBITMAP>(SendMessageA(program.Control(main, win32::kMainTable, "imgApply"),
                                             STM_GETIMAGE, IMAGE_BITMAP, 0)),
      sizeof picture, &picture);
  EXPECT_EQ(picture.bmWidth, scale(apply.rect.width));
  EXPECT_EQ(picture.bmHeight, scale(apply.rect.height));

  const HWND status_bar = program.Control(main, win32::kMainTable, "StatusBar1");
  int edges[4] = {};
  EXPECT_EQ(SendMessageA(status_bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2)
      << "the fixed panel, then what the last command did";
  EXPECT_EQ(edges[0], scale(ui::kStatusPanelWidth));
  char address[128] = {};
  SendMessageA(status_bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(address));
  EXPECT_EQ(std::string(address), ui::kStatusPanelText);
}

INSTANTIATE_TEST_SUITE_P(At96And144Dpi, MainWindowLayout, testing::Values(96, 144));

TEST(MainWindowLayout, ListColumnsAndMenus) {
  WindowsProgram program;
  program.Start(/*first_run=*/true);
  const HWND main = program.Main();

  const HWND list = program.Control(main, win32::kMainTable, "lvwWebsites");
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE));
  EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  EXPECT_FALSE(style & LVS_SINGLESEL) << "Shift, Ctrl and Ctrl+A select several rows";
  EXPECT_TRUE(style & LVS_OWNERDATA);
  char header[32] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header;
  column.cchTextMax = sizeof header;
  ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(header, "Website");
  EXPECT_EQ(column.cx, 280);
  ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(header, "Status");
  EXPECT_GE(column.cx, 250) << "room for \"Scheduled (free until Mon 09:00)\"";
  EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(&column)));
  // Rows past the bottom bring the vertical scroll bar; the columns still fit beside it.
  for (int i = 0; i < 40; ++i) {
    program.TypeIn(testsupport::Window::kMain, "txtWebsite",
                   "site" + std::to_string(i) + ".example");
    program.PressEnterIn(testsupport::Window::kMain, "txtWebsite");
  }
  const auto scrolled = static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE));
  EXPECT_TRUE(scrolled & WS_VSCROLL);
  EXPECT_FALSE(scrolled & WS_HSCROLL);

  const HMENU bar = GetMenu(main);
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  const std::vector<std::vector<std::string>> expected = {
      {"File", "Apply Settings", "Import Websites...", "Export Websites...",
       "Restore Hosts File...", "Change Password...", "", "Exit"},
      {"Edit", "Allow Site", "Block Site", "Block on Schedule", "Remove Site", "Find\tCtrl+F", "",
       "Clear All", "", "Check Blocking...", "Lock Blocks...", "Schedule...",
       "Leave Browser Settings Alone"},
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

class LoginPasswordAndLockLayout : public testing::TestWithParam<int> {};

TEST_P(LoginPasswordAndLockLayout, EveryRowOfTheirTables) {
  const win32::Scale scale{GetParam()};
  WindowsProgram program(scale);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.TrayMessage(WM_LBUTTONDBLCLK);
  const HWND login = program.Login();
  ExpectTable(program, login, win32::kLoginTable, scale);
  EXPECT_EQ(GetFocus(), program.Control(login, win32::kLoginTable, "txtPassword"))
      << "the caret starts in the password box";
  WalkTabKey(program, login, win32::kLoginTable);
  program.Click(program.Control(login, win32::kLoginTable, "cmdLogin"));  // the empty password
  ASSERT_TRUE(IsWindowVisible(program.Main()));

  // The windows the main window shows modally, each through its menu item.
  struct Modal {
    int item;
    testsupport::Window shown;
    HWND (WindowsProgram::*window)();
    const ControlTable& table;
    std::string_view first_focus;
  };
  for (const Modal& modal :
       {Modal{IDM_PASSWORD, testsupport::Window::kPassword, &WindowsProgram::Password,
              win32::kPasswordTable, "txtPassword"},
        Modal{IDM_LOCK, testsupport::Window::kLock, &WindowsProgram::Lock, win32::kLockTable,
              "txtLength"},
        Modal{IDM_SCHEDULE, testsupport::Window::kSchedule, &WindowsProgram::Schedule,
              win32::kScheduleTable, "txtMonday"}}) {
    SCOPED_TRACE(modal.table.layout.caption);
    bool checked = false;
    program.WhenShown(modal.shown, [&] {
      const HWND window = (program.*modal.window)();
      ExpectTable(program, window, modal.table, scale);
      EXPECT_EQ(GetFocus(), program.Control(window, modal.table, modal.first_focus));
      WalkTabKey(program, window, modal.table);
      EXPECT_EQ(GetWindow(window, GW_OWNER), program.Main());
      EXPECT_FALSE(IsWindowEnabled(program.Main())) << "modal over the main window";
      checked = true;
      SendMessageA(window, WM_CLOSE, 0, 0);
    });
    program.Menu(modal.item);
    EXPECT_TRUE(checked);
    EXPECT_EQ((program.*modal.window)(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(program.Main()));
  }
}

INSTANTIATE_TEST_SUITE_P(At96And144Dpi, LoginPasswordAndLockLayout, testing::Values(96, 144));

}  // namespace
