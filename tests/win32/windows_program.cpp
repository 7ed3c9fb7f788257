#include "windows_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "app/start_up.h"
#include "controls.h"
#include "fake_block_check.h"
#include "form_window.h"
#include "list_chooser.h"
#include "progress_window.h"
#include "resource.h"
#include "ui/lock/lock_form.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "ui/password/password_form.h"
#include "ui/schedule/schedule_form.h"

namespace wintest {

namespace {

constexpr UINT kRunAction = WM_APP + 7;

LRESULT CALLBACK ActionsProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunAction) {
    auto* waiting = reinterpret_cast<std::deque<std::function<void()>>*>(
        GetWindowLongPtrA(window, GWLP_USERDATA));
    if (waiting && !waiting->empty()) {
      const std::function<void()> action = std::move(waiting->front());
      waiting->pop_front();
      action();
    }
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

WindowsProgram::WindowsProgram(win32::Scale scale) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  services_.emplace(win32::Win32Services::Options{
      .answer_message_boxes =
          [this](std::string_view text, std::string_view caption, ui::MsgBoxButtons buttons,
                 ui::MsgBoxIcon icon) { return Answer(text, caption, buttons, icon); },
      .answer_file_choices = [this](const ui::FileChoice& choice) { return AnswerFile(choice); },
      .executable_folder = folder.path().string(),
      .start_block_check =
          [this](const std::vector<std::string>& names, const std::string& /*hosts_path*/) {
            return std::make_unique<testsupport::FakeBlockCheck>(
                names, leaking, check_stops_after.value_or(static_cast<std::size_t>(-1)));
          },
      .browser_places = BrowserPlaces(),
      .manual_repeats = true});
  views_.emplace(*services_, scale);

  WNDCLASSA actions_class{};
  actions_class.lpfnWndProc = ActionsProcedure;
  actions_class.hInstance = GetModuleHandleA(nullptr);
  actions_class.lpszClassName = "RirAvaderaTestActions";
  RegisterClassA(&actions_class);
  actions_ = CreateWindowExA(0, "RirAvaderaTestActions", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(actions_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&actions_waiting_));
}

WindowsProgram::~WindowsProgram() {
  application_.reset();
  DestroyWindow(actions_);
  Pump();
}

app::Application& WindowsProgram::Start(bool first_run) {
  if (first_run) {
    WriteState("[settings]\r\nfirstrun=true\r\n");
  }
  application_.emplace(*views_, *services_, hostsfile::HostsStore(hosts_path));
  views_->OnSessionEnding([this] { application_->EndSession(); });
  views_->OnAnotherCopyStarted([this] { application_->AnotherCopyStarted(); });
  modGetSystemPath::Main(*application_);
  Pump();
  return *application_;
}

HWND WindowsProgram::Main() {
  return application_->IsLoaded(ui::FormId::kMain)
             ? reinterpret_cast<HWND>(application_->Main().view().hWnd())
             : nullptr;
}

HWND WindowsProgram::Login() {
  return application_->IsLoaded(ui::FormId::kLogin)
             ? reinterpret_cast<HWND>(application_->Login().view().hWnd())
             : nullptr;
}

HWND WindowsProgram::Password() {
  return application_->IsLoaded(ui::FormId::kPassword)
             ? reinterpret_cast<HWND>(application_->Password().view().hWnd())
             : nullptr;
}

HWND WindowsProgram::Lock() {
  return application_->IsLoaded(ui::FormId::kLock)
             ? reinterpret_cast<HWND>(application_->Lock().view().hWnd())
             : nullptr;
}

HWND WindowsProgram::Schedule() {
  return application_->IsLoaded(ui::FormId::kSchedule)
             ? reinterpret_cast<HWND>(application_->Schedule().view().hWnd())
             : nullptr;
}

void WindowsProgram::Pump() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      continue;  // the services keep that the program ended
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void WindowsProgram::Later(std::function<void()> action) {
  actions_waiting_.push_back(std::move(action));
  PostMessageA(actions_, kRunAction, 0, 0);
}

namespace {

// A row of a report list, its columns' texts joined by TABs.
std::string ListRow(HWND list, int index, int columns) {
  std::string line;
  for (int column = 0; column < columns; ++column) {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    line += column == 0 ? std::string(text) : "\t" + std::string(text);
  }
  return line;
}

}  // namespace

std::string WindowsProgram::Local(std::string_view text) const {
  const int size = static_cast<int>(text.size());
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), size)));
  std::string local(text.size(), '\0');
  local.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(),
                                                            static_cast<int>(wide.size()),
                                                            local.data(), size, nullptr, nullptr)));
  return local;
}

std::string WindowsProgram::Row(int index) {
  return ListRow(GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites")), index, 2);
}

HWND WindowsProgram::WindowOf(testsupport::Window window) {
  switch (window) {
    case testsupport::Window::kMain:
      return Main();
    case testsupport::Window::kLogin:
      return Login();
    case testsupport::Window::kPassword:
      return Password();
    case testsupport::Window::kLock:
      return Lock();
    case testsupport::Window::kSchedule:
      return Schedule();
    case testsupport::Window::kChooser: {
      const HWND chooser = FindWindowA(win32::kListChooserClass, nullptr);
      return chooser && IsWindowVisible(chooser) ? chooser : nullptr;
    }
    case testsupport::Window::kProgress: {
      const HWND progress = FindWindowA(win32::kProgressWindowClass, nullptr);
      return progress && IsWindowVisible(progress) ? progress : nullptr;
    }
  }
  return nullptr;
}

namespace {

struct ControlName {
  testsupport::Window window;
  std::string_view name;
  int id;
};

// The controls by their names in the layout tables.
constexpr ControlName kControls[] = {
    {testsupport::Window::kMain, "Command1", win32::kMainTable.Id("Command1")},
    {testsupport::Window::kMain, "StatusBar1", win32::kMainTable.Id("StatusBar1")},
    {testsupport::Window::kMain, "lblFind", win32::kMainTable.Id("lblFind")},
    {testsupport::Window::kMain, "txtFind", win32::kMainTable.Id("txtFind")},
    {testsupport::Window::kMain, "lvwWebsites", win32::kMainTable.Id("lvwWebsites")},
    {testsupport::Window::kMain, "txtExport", win32::kMainTable.Id("txtExport")},
    {testsupport::Window::kMain, "Command3", win32::kMainTable.Id("Command3")},
    {testsupport::Window::kMain, "cmdAddEntry", win32::kMainTable.Id("cmdAddEntry")},
    {testsupport::Window::kMain, "txtWebsite", win32::kMainTable.Id("txtWebsite")},
    {testsupport::Window::kMain, "Picture1", win32::kMainTable.Id("Picture1")},
    {testsupport::Window::kMain, "lblMessage", win32::kMainTable.Id("lblMessage")},
    {testsupport::Window::kMain, "lblBrowserWarning", win32::kMainTable.Id("lblBrowserWarning")},
    {testsupport::Window::kMain, "lblLocked", win32::kMainTable.Id("lblLocked")},
    {testsupport::Window::kMain, "imgAllow", win32::kMainTable.Id("imgAllow")},
    {testsupport::Window::kMain, "imgBlock", win32::kMainTable.Id("imgBlock")},
    {testsupport::Window::kMain, "imgApply", win32::kMainTable.Id("imgApply")},
    {testsupport::Window::kLogin, "txtPassword", win32::kLoginTable.Id("txtPassword")},
    {testsupport::Window::kLogin, "cmdLogin", win32::kLoginTable.Id("cmdLogin")},
    {testsupport::Window::kPassword, "txtPassword", win32::kPasswordTable.Id("txtPassword")},
    {testsupport::Window::kPassword, "txtConfirm", win32::kPasswordTable.Id("txtConfirm")},
    {testsupport::Window::kPassword, "cmdSavePassword",
     win32::kPasswordTable.Id("cmdSavePassword")},
    {testsupport::Window::kLock, "txtLength", win32::kLockTable.Id("txtLength")},
    {testsupport::Window::kLock, "lblEnds", win32::kLockTable.Id("lblEnds")},
    {testsupport::Window::kLock, "chkCountOnlyOn", win32::kLockTable.Id("chkCountOnlyOn")},
    {testsupport::Window::kLock, "cmdLock", win32::kLockTable.Id("cmdLock")},
    {testsupport::Window::kLock, "cmdCancel", win32::kLockTable.Id("cmdCancel")},
    {testsupport::Window::kChooser, "lvwChoices", IDC_CHOOSER_LIST},
    {testsupport::Window::kChooser, "cmdChoose", IDOK},
    {testsupport::Window::kChooser, "cmdOther", IDC_CHOOSER_OTHER},
    {testsupport::Window::kChooser, "cmdCancel", IDCANCEL},
    {testsupport::Window::kProgress, "lblProgress", IDC_PROGRESS_TEXT},
    {testsupport::Window::kProgress, "cmdCancel", IDCANCEL},
};

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM lparam) {
  auto& search = *reinterpret_cast<Search*>(lparam);
  if (GetDlgCtrlID(child) == search.id) {
    search.found = child;
    return FALSE;
  }
  return TRUE;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The position of the item with that caption in a menu, or -1; the key after a TAB is no part
// of the caption.
int ItemOf(HMENU menu, std::string_view caption) {
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    if (caption == std::string_view(text).substr(0, std::string_view(text).find('\t'))) {
      return position;
    }
  }
  return -1;
}

}  // namespace

HWND WindowsProgram::Control(testsupport::Window window, std::string_view name) {
  // The schedule window's controls all lie in its client area, by their table's names.
  if (window == testsupport::Window::kSchedule) {
    if (const HWND control = Control(Schedule(), win32::kScheduleTable, name)) {
      return control;
    }
  }
  for (const ControlName& control : kControls) {
    if (control.window == window && control.name == name) {
      // Children of children too: the restart notice lies on the picture.
      Search search{control.id, nullptr};
      EnumChildWindows(WindowOf(window), MatchId, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
        return search.found;
      }
    }
  }
  throw std::runtime_error("no control " + std::string(name));
}

void WindowsProgram::InChooser(std::function<void()> act) {
  WhenChooserOpens(std::move(act), GetTickCount64() + 60'000);
}

// The program may wait for other work on its way to the chooser (a save, with messages handled).
void WindowsProgram::WhenChooserOpens(std::function<void()> act, ULONGLONG give_up) {
  Later([this, act = std::move(act), give_up]() mutable {
    const HWND chooser = WindowOf(testsupport::Window::kChooser);
    if (!chooser && GetTickCount64() < give_up) {
      Sleep(5);
      WhenChooserOpens(std::move(act), give_up);
      return;
    }
    if (!chooser) {
      ADD_FAILURE() << "no list chooser is open";
      return;
    }
    act();
    if (IsWindow(chooser) && IsWindowVisible(chooser)) {
      ADD_FAILURE() << "the list chooser is still open";
      SendMessageA(chooser, WM_CLOSE, 0, 0);
    }
  });
}

std::vector<std::string> WindowsProgram::ChooserColumns() {
  const auto header = reinterpret_cast<HWND>(
      SendMessageA(Control(testsupport::Window::kChooser, "lvwChoices"), LVM_GETHEADER, 0, 0));
  std::vector<std::string> columns;
  const auto count = SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
  for (int column = 0; column < count; ++column) {
    char text[256] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    columns.emplace_back(text);
  }
  return columns;
}

std::vector<std::string> WindowsProgram::ChooserRows() {
  const HWND list = Control(testsupport::Window::kChooser, "lvwChoices");
  const auto columns = static_cast<int>(ChooserColumns().size());
  std::vector<std::string> rows;
  const auto count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (int row = 0; row < count; ++row) {
    rows.push_back(ListRow(list, row, columns));
  }
  return rows;
}

bool WindowsProgram::ChooserOwnedByMain() {
  const HWND chooser = WindowOf(testsupport::Window::kChooser);
  return chooser && GetWindow(chooser, GW_OWNER) == Main();
}

bool WindowsProgram::Shown(testsupport::Window window) {
  const HWND handle = WindowOf(window);
  return handle && IsWindowVisible(handle);
}

bool WindowsProgram::Minimized() {
  return Main() && IsIconic(Main());
}

bool WindowsProgram::TakesInput(testsupport::Window window) {
  const HWND handle = WindowOf(window);
  return handle && IsWindowEnabled(handle);
}

std::string WindowsProgram::Caption(testsupport::Window window) {
  return win32::TextOf(WindowOf(window));
}

void WindowsProgram::TypeIn(testsupport::Window window, std::string_view control,
                            std::string_view text) {
  Type(Control(window, control), std::string(text));
}

void WindowsProgram::PressEnterIn(testsupport::Window window, std::string_view control) {
  const HWND handle = Control(window, control);
  if (window == testsupport::Window::kChooser || window == testsupport::Window::kLock ||
      window == testsupport::Window::kSchedule) {
    // These windows' keys go through their modal loop, which gives Enter to the default button.
    MSG key{handle, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    win32::DispatchWithDialogKeys(key);
    return;
  }
  PressEnter(handle);
}

void WindowsProgram::ClickOn(testsupport::Window window, std::string_view control) {
  const HWND handle = Control(window, control);
  if (ClassOf(handle) == "Static") {  // a picture that works as a button
    SendMessageA(GetParent(handle), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(handle), STN_CLICKED),
                 reinterpret_cast<LPARAM>(handle));
  } else {
    Click(handle);
  }
}

std::string WindowsProgram::StatusText() {
  std::array<char, 512> text{};
  SendMessageA(Control(testsupport::Window::kMain, "StatusBar1"), SB_GETTEXTA, 1,
               reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

std::string WindowsProgram::TextOf(testsupport::Window window, std::string_view control) {
  return win32::TextOf(Control(window, control));
}

bool WindowsProgram::Enabled(testsupport::Window window, std::string_view control) {
  return IsWindowEnabled(Control(window, control));
}

bool WindowsProgram::Ticked(testsupport::Window window, std::string_view control) {
  return SendMessageA(Control(window, control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool WindowsProgram::ControlShown(testsupport::Window window, std::string_view control) {
  return IsWindowVisible(Control(window, control));
}

void WindowsProgram::Hide(testsupport::Window window, std::string_view control) {
  ShowWindow(Control(window, control), SW_HIDE);
}

void WindowsProgram::ChooseMenu(std::string_view menu, std::string_view item) {
  const HMENU bar = GetMenu(Main());
  const int title = ItemOf(bar, menu);
  const HMENU popup = title >= 0 ? GetSubMenu(bar, title) : nullptr;
  const int position = popup ? ItemOf(popup, item) : -1;
  if (position < 0) {
    throw std::runtime_error("no menu item " + std::string(menu) + ", " + std::string(item));
  }
  Menu(static_cast<int>(GetMenuItemID(popup, position)));
}

void WindowsProgram::CloseWithCloseBox(testsupport::Window window) {
  SendMessageA(WindowOf(window), WM_CLOSE, 0, 0);
}

void WindowsProgram::ClickTray(testsupport::TrayClick click) {
  switch (click) {
    case testsupport::TrayClick::kSingle:
      TrayMessage(WM_LBUTTONDOWN);
      break;
    case testsupport::TrayClick::kContext:
      TrayMessage(WM_RBUTTONDBLCLK);
      break;
    case testsupport::TrayClick::kDouble:
      TrayMessage(WM_LBUTTONDBLCLK);
      break;
  }
}

int WindowsProgram::RowCount() {
  return static_cast<int>(SendMessageA(GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites")),
                                       LVM_GETITEMCOUNT, 0, 0));
}

bool WindowsProgram::RowInView(int index) {
  const HWND list = GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites"));
  const auto top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  const auto rows = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  return index >= top && index < top + rows;
}

void WindowsProgram::SelectRow(testsupport::Window window, int index) {
  const HWND list = window == testsupport::Window::kChooser
                        ? Control(window, "lvwChoices")
                        : GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites"));
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (window == testsupport::Window::kMain && index >= 0) {
    // A click selects the row alone, in a list that may have several selected.
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  }
  state.state = index < 0 ? 0 : LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&state));
}

void WindowsProgram::ToggleChooserRow(int index) {
  const HWND list = Control(testsupport::Window::kChooser, "lvwChoices");
  const auto picked =
      SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) != 0;
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = picked ? LVIS_FOCUSED : LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&state));
}

std::vector<int> WindowsProgram::ChooserPicked() {
  const HWND list = Control(testsupport::Window::kChooser, "lvwChoices");
  std::vector<int> rows;
  for (auto row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
       row >= 0;
       row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) {
    rows.push_back(static_cast<int>(row));
  }
  return rows;
}

void WindowsProgram::PlaceUninstaller() {
  std::filesystem::copy_file(RIR_FAKE_UNINSTALLER, folder.File("unins000.exe"));
}

bool WindowsProgram::UninstallerRan() {
  const std::string marker = folder.File("unins000.started");
  for (int wait = 0; wait < 200 && !std::filesystem::exists(marker); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // It writes how it was asked to show its window: normally.
  return std::filesystem::exists(marker) && testsupport::ReadBytes(marker) == "show 2";
}

int WindowsProgram::SelectedRow() {
  return static_cast<int>(SendMessageA(GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites")),
                                       LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

HWND WindowsProgram::Control(HWND window, const win32::ControlTable& table,
                             std::string_view name) const {
  const ui::layout::Control& row = table.layout[name];
  const HWND parent = row.container.empty() ? window : Control(window, table, row.container);
  return parent ? GetDlgItem(parent, table.Id(name)) : nullptr;
}

RECT WindowsProgram::Placement(HWND control) const {
  RECT where{};
  GetWindowRect(control, &where);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&where), 2);
  return where;
}

SIZE WindowsProgram::ClientSize(HWND window) const {
  RECT client{};
  GetClientRect(window, &client);
  return SIZE{client.right, client.bottom};
}

namespace {

// Presses a key with Ctrl held, as the keyboard's state tells it to whoever asks.
template <class Press>
void WithCtrl(Press press) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const BYTE was = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  press();
  keys[VK_CONTROL] = was;
  SetKeyboardState(keys);
}

}  // namespace

std::vector<int> WindowsProgram::SelectedRows() {
  const HWND list = GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites"));
  std::vector<int> rows;
  for (auto row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
       row >= 0;
       row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) {
    rows.push_back(static_cast<int>(row));
  }
  return rows;
}

void WindowsProgram::SelectRows(int first, int last) {
  SelectRow(testsupport::Window::kMain, first);
  const HWND list = GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites"));
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  for (int row = first + 1; row <= last; ++row) {
    state.state = row == last ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
  }
}

void WindowsProgram::SelectAll() {
  const HWND list = GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites"));
  SetFocus(list);
  WithCtrl([list] { SendMessageA(list, WM_KEYDOWN, 'A', 0); });
}

void WindowsProgram::PressCtrlF() {
  const HWND focus = GetFocus();
  WithCtrl([focus, this] {
    MSG key{focus != nullptr ? focus : Main(), WM_KEYDOWN, 'F', 0, 0, {}};
    win32::DispatchWithDialogKeys(key);
  });
}

void WindowsProgram::PasteIn(testsupport::Window window, std::string_view control,
                             std::string_view text) {
  // The text as TypeIn takes it, in the ANSI code page.
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          static_cast<int>(wide.size()))));
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
  std::copy_n(wide.c_str(), wide.size() + 1, static_cast<wchar_t*>(GlobalLock(data)));
  GlobalUnlock(data);
  ASSERT_TRUE(OpenClipboard(actions_));
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
  SendMessageA(Control(window, control), WM_PASTE, 0, 0);
}

bool WindowsProgram::Focused(testsupport::Window window, std::string_view control) {
  return GetFocus() == Control(window, control);
}

}  // namespace wintest
