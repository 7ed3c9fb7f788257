#include "services.h"

#include <algorithm>

#include "controls.h"
#include "file_chooser.h"
#include "hostsfile/resolver_cache.h"
#include "list_chooser.h"
#include "progress_window.h"
#include "settings/state_file.h"
#include "ui/common/system_block_check.h"

namespace win32 {

UINT MessageBoxStyle(ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) {
  UINT style = buttons == ui::MsgBoxButtons::kYesNo ? MB_YESNO : MB_OK;
  switch (icon) {
    case ui::MsgBoxIcon::kNone:
      break;
    case ui::MsgBoxIcon::kCritical:
      style |= MB_ICONERROR;
      break;
    case ui::MsgBoxIcon::kQuestion:
      style |= MB_ICONQUESTION;
      break;
  }
  return style;
}

NOTIFYICONDATAA ShellRecord(const ui::TrayRecord& record) {
  NOTIFYICONDATAA shell{};
  // A record the logic never filled stays all zero, and the shell refuses it.
  shell.cbSize = record.cbSize == 0 ? 0 : NOTIFYICONDATAA_V1_SIZE;
  shell.hWnd = reinterpret_cast<HWND>(record.hWnd);
  shell.uID = record.uID;
  shell.uFlags = record.uFlags;
  if (record.uFlags & NIF_MESSAGE) {
    shell.uCallbackMessage = kTrayCallbackMessage;
  }
  shell.hIcon = reinterpret_cast<HICON>(record.hIcon);
  // The first version of the record reads the first 64 bytes of the tip.
  static_assert(sizeof shell.szTip >= sizeof record.szTip);
  std::copy(record.szTip.begin(), record.szTip.end(), shell.szTip);
  return shell;
}

ui::MsgBoxResult Win32Services::MsgBox(std::string_view text, std::string_view caption,
                                       ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) {
  if (options_.answer_message_boxes) {
    return options_.answer_message_boxes(text, caption, buttons, icon);
  }
  const int chosen = MessageBoxA(GetActiveWindow(), std::string(text).c_str(),
                                 std::string(caption).c_str(), MessageBoxStyle(buttons, icon));
  switch (chosen) {
    case IDYES:
      return ui::MsgBoxResult::kYes;
    case IDNO:
      return ui::MsgBoxResult::kNo;
    default:
      // A Yes/No box that could not be shown keeps the program as it is.
      return buttons == ui::MsgBoxButtons::kYesNo ? ui::MsgBoxResult::kNo : ui::MsgBoxResult::kOk;
  }
}

void Win32Services::ShellNotifyIcon(ui::TrayRequest request, const ui::TrayRecord& record) {
  NOTIFYICONDATAA shell = ShellRecord(record);
  if (request == ui::TrayRequest::kAdd) {
    Shell_NotifyIconA(NIM_ADD, &shell);
    tray_icon_ = shell;
  } else {
    Shell_NotifyIconA(NIM_DELETE, &shell);
    tray_icon_.reset();
  }
}

void Win32Services::RestoreTrayIcon() {
  if (tray_icon_) {
    Shell_NotifyIconA(NIM_ADD, &*tray_icon_);
  }
}

void Win32Services::SetForegroundWindow(const ui::FormView& window) {
  ::SetForegroundWindow(reinterpret_cast<HWND>(window.hWnd()));
}

rir::Result<void> Win32Services::StartProgram(const std::string& path, ui::WindowStyle style) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(style);
  std::string command_line = "\"" + path + "\"";
  PROCESS_INFORMATION started{};
  // The application name is the whole path: no search path, no guessing at blanks.
  if (!CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return rir::SystemFailure(rir::ErrorCode::kStartProgram, path);
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return {};
}

ui::ListAnswer Win32Services::ChooseFromList(const ui::FormView& owner,
                                             const ui::ListChoice& choice) {
  ListChooser chooser(reinterpret_cast<HWND>(owner.hWnd()), choice, SystemScale());
  return chooser.Run();
}

std::optional<std::string> Win32Services::ChooseFile(const ui::FormView& owner,
                                                     const ui::FileChoice& choice) {
  if (options_.answer_file_choices) {
    return options_.answer_file_choices(choice);
  }
  return win32::ChooseFile(reinterpret_cast<HWND>(owner.hWnd()), choice);
}

rir::Result<std::string> Win32Services::ExecutableFolder() {
  if (!options_.executable_folder.empty()) {
    return options_.executable_folder;
  }
  return settings::ExecutableFolder();
}

std::vector<rir::Error> Win32Services::FlushResolverCaches() {
  return hostsfile::FlushResolverCaches();
}

std::unique_ptr<ui::BlockCheckRun> Win32Services::StartBlockCheck(std::vector<std::string> names,
                                                                  std::size_t first_other,
                                                                  const std::string& hosts_path) {
  if (options_.start_block_check) {
    return options_.start_block_check(std::move(names), hosts_path);
  }
  return ui::StartSystemBlockCheck(std::move(names), first_other, hosts_path);
}

blockcheck::BrowserPlaces Win32Services::WhereBrowsersAre() {
  return options_.browser_places ? *options_.browser_places : blockcheck::SystemBrowserPlaces();
}

void Win32Services::WatchProgress(const ui::FormView& owner, const ui::ProgressWatch& watch) {
  win32::WatchProgress(reinterpret_cast<HWND>(owner.hWnd()), watch, SystemScale());
}

bool Win32Services::HasNotificationArea() {
  return FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

namespace {

// A timer on a message-only window of its own: WM_TIMER reaches it through whichever message
// loop runs, the program's or a modal one's, and the window knows which tick to run.
class Win32Repeating final : public ui::Repeating {
 public:
  Win32Repeating(std::chrono::milliseconds interval, std::function<void()> tick)
      : tick_(std::move(tick)) {
    RegisterClassOnce(kClass, &Win32Repeating::Procedure, COLOR_WINDOW);
    window_ = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tick_));
    SetTimer(window_, 1, static_cast<UINT>(interval.count()), nullptr);
  }
  Win32Repeating(const Win32Repeating&) = delete;
  Win32Repeating& operator=(const Win32Repeating&) = delete;
  ~Win32Repeating() override {
    KillTimer(window_, 1);
    DestroyWindow(window_);
  }

 private:
  static constexpr const char* kClass = "RirAvaderaRepeating";

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER) {
      if (auto* tick =
              reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
        (*tick)();
      }
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }

  std::function<void()> tick_;
  HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<ui::Repeating> Win32Services::Every(std::chrono::milliseconds interval,
                                                    std::function<void()> tick) {
  if (options_.manual_repeats) {
    return manual_repeats_.Add(std::move(tick));
  }
  return std::make_unique<Win32Repeating>(interval, std::move(tick));
}

void Win32Services::EndProgram() {
  program_ended_ = true;
  PostQuitMessage(0);
}

}  // namespace win32
