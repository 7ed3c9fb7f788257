#include "windows_program.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/start_up.h"
#include "list_chooser.h"
#include "resource.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "ui/password/password_form.h"

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
      .executable_folder = folder.path().string()});
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
  application_.emplace(*views_, *services_, blocklist::HostsStore(hosts_path));
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

std::string WindowsProgram::Row(int index) {
  return ListRow(GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites")), index, 2);
}

void WindowsProgram::InChooser(std::function<void(HWND chooser)> act) {
  Later([act = std::move(act)] {
    const HWND chooser = FindWindowA(win32::kListChooserClass, nullptr);
    if (!chooser || !IsWindowVisible(chooser)) {
      ADD_FAILURE() << "no list chooser is open";
      return;
    }
    act(chooser);
    if (IsWindow(chooser) && IsWindowVisible(chooser)) {
      ADD_FAILURE() << "the list chooser is still open";
      SendMessageA(chooser, WM_CLOSE, 0, 0);
    }
  });
}

std::vector<std::string> WindowsProgram::ChooserRows(HWND chooser) {
  const HWND list = GetDlgItem(chooser, IDC_CHOOSER_LIST);
  const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const auto columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  std::vector<std::string> rows;
  const auto count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (int row = 0; row < count; ++row) {
    rows.push_back(ListRow(list, row, columns));
  }
  return rows;
}

std::vector<std::string> WindowsProgram::Rows() {
  const auto count =
      SendMessageA(GetDlgItem(Main(), win32::kMainTable.Id("lvwWebsites")), LVM_GETITEMCOUNT, 0, 0);
  std::vector<std::string> rows;
  for (int row = 0; row < count; ++row) {
    rows.push_back(Row(row));
  }
  return rows;
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

}  // namespace wintest
