// The main window in the notification area: sending it there, the icon's double-click, and the
// icon's removal when the window unloads.
#include <algorithm>

#include "ui/common/messages.h"
#include "ui/login/open_login.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

constexpr std::uint32_t kTrayRecordSize = 88;  // the record's first, ANSI, version
constexpr std::uint32_t kTrayIconId = 1;
constexpr std::uint32_t kTrayFlags = 7;  // message, icon and tip

// The tip, a NUL, then blanks to the end of the field.
std::array<char, 64> TrayTip() {
  std::array<char, 64> tip;
  tip.fill(' ');
  const std::size_t length = std::min(kApplicationTitle.size(), tip.size() - 1);
  std::copy_n(kApplicationTitle.begin(), length, tip.begin());
  tip[length] = '\0';
  return tip;
}

}  // namespace

void frmRirAvadera::MinimizeForm() {
  // On screen before it is minimised; nothing changes when it is already visible.
  view_.Show();
  view_.Refresh();
  if (!services_.HasNotificationArea()) {
    // No icon could bring the window back: the login window stands in for it.
    view_.SetWindowState(WindowState::kMinimized);
    Form_Resize();
    OpenLoginWindow(forms_, services_);
    return;
  }
  nidTray.cbSize = kTrayRecordSize;
  nidTray.hWnd = view_.hWnd();
  nidTray.uID = kTrayIconId;
  nidTray.uFlags = kTrayFlags;
  nidTray.hIcon = view_.Icon();
  nidTray.szTip = TrayTip();
  // Sent every time: the shell refuses a second add and keeps the one icon it has.
  services_.ShellNotifyIcon(TrayRequest::kAdd, nidTray);
  view_.SetWindowState(WindowState::kMinimized);
  Form_Resize();
}

void frmRirAvadera::Form_Resize() {
  if (view_.GetWindowState() == WindowState::kMinimized) {
    view_.Hide();
  }
}

void frmRirAvadera::nidTray_MouseMessage(std::int32_t message) {
  if (message == kTrayLeftDoubleClick) {
    OpenLoginWindow(forms_, services_);
  }
}

void frmRirAvadera::Form_Unload() {
  // With no icon ever added the record is all zero and the shell removes nothing.
  services_.ShellNotifyIcon(TrayRequest::kDelete, nidTray);
}

}  // namespace ui
