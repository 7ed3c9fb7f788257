// One run of the Windows program in this process: its real windows and services, with the
// message boxes answered by the test, and its hosts and state files in a temporary folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "control_table.h"
#include "program_driver.h"
#include "scale.h"
#include "services.h"
#include "view_factory.h"

namespace wintest {

class WindowsProgram : public testsupport::ProgramDriver {
 public:
  explicit WindowsProgram(win32::Scale scale = {96});
  ~WindowsProgram() override;

  std::string_view LineEnd() const override { return "\r\n"; }
  std::string Local(std::string_view text) const override;

  // Runs the start-up: on screen on a first run, in the tray otherwise.
  app::Application& Start(bool first_run) override;
  app::Application& app() override { return *application_; }
  win32::Win32Services& services() { return *services_; }

  HWND Main();
  HWND Login();     // null while the login window is not loaded
  HWND Password();  // null while the password window is not loaded
  HWND Lock();      // null while the lock window is not loaded
  HWND Schedule();  // null while the schedule window is not loaded
  HWND Control(HWND window, int id) const { return GetDlgItem(window, id); }
  // A control of `window` by its name in the window's table, looked for in the container the
  // table names: null when it is not there.
  HWND Control(HWND window, const win32::ControlTable& table, std::string_view name) const;

  // Handles every message waiting; the program's end is kept, not acted on.
  void Pump();

  void Type(HWND box, const std::string& text) { SendMessageA(box, WM_SETTEXT, 0, Lparam(text)); }
  void PressEnter(HWND box) { SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0); }
  void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }
  void ClickPicture(HWND window, int id) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(window, id)));
  }
  void Menu(int id) { SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  void TrayMessage(UINT mouse_message) {
    SendMessageA(Main(), win32::kTrayCallbackMessage, 1, static_cast<LPARAM>(mouse_message));
  }
  // Posts `action` to run once the messages queued before it have been handled: a modal window
  // that opens in between handles it in its own loop.
  void Later(std::function<void()> action) override;

  void InChooser(std::function<void()> act) override;
  void WhenChooserOpens(std::function<void()> act, ULONGLONG give_up);
  std::vector<std::string> ChooserColumns() override;
  std::vector<std::string> ChooserRows() override;
  bool ChooserOwnedByMain() override;

  bool Shown(testsupport::Window window) override;
  bool Minimized() override;
  bool TakesInput(testsupport::Window window) override;
  std::string Caption(testsupport::Window window) override;
  void TypeIn(testsupport::Window window, std::string_view control, std::string_view text) override;
  void PressEnterIn(testsupport::Window window, std::string_view control) override;
  void ClickOn(testsupport::Window window, std::string_view control) override;
  std::string TextOf(testsupport::Window window, std::string_view control) override;
  std::string StatusText() override;
  bool Enabled(testsupport::Window window, std::string_view control) override;
  bool Ticked(testsupport::Window window, std::string_view control) override;
  bool ControlShown(testsupport::Window window, std::string_view control) override;
  void Hide(testsupport::Window window, std::string_view control) override;
  void ChooseMenu(std::string_view menu, std::string_view item) override;
  void CloseWithCloseBox(testsupport::Window window) override;
  void ClickTray(testsupport::TrayClick click) override;
  void RunRepeats() override { services_->RunRepeats(); }
  bool HasTrayIcon() override { return services_->tray_icon().has_value(); }
  std::string TrayTip() override { return std::string(services_->tray_icon()->szTip); }
  bool ProgramEnded() override { return services_->program_ended(); }
  int RowCount() override;
  std::string Row(int index) override;
  int SelectedRow() override;
  std::vector<int> SelectedRows() override;
  void SelectRows(int first, int last) override;
  void SelectAll() override;
  void PressCtrlF() override;
  void PasteIn(testsupport::Window window, std::string_view control,
               std::string_view text) override;
  bool Focused(testsupport::Window window, std::string_view control) override;
  bool RowInView(int index) override;
  void SelectRow(testsupport::Window window, int index) override;
  void ToggleChooserRow(int index) override;
  std::vector<int> ChooserPicked() override;
  void PlaceUninstaller() override;
  bool UninstallerRan() override;
  // Where a control lies in its parent's client area.
  RECT Placement(HWND control) const;
  SIZE ClientSize(HWND window) const;

 private:
  HWND WindowOf(testsupport::Window window);
  // A control of the window by its name from the layout tables; throws when it is missing.
  HWND Control(testsupport::Window window, std::string_view name);

  static LPARAM Lparam(const std::string& text) { return reinterpret_cast<LPARAM>(text.c_str()); }

  std::optional<win32::Win32Services> services_;
  std::optional<win32::Win32ViewFactory> views_;
  std::optional<app::Application> application_;
  HWND actions_ = nullptr;  // runs the posted actions
  std::deque<std::function<void()>> actions_waiting_;
};

}  // namespace wintest
