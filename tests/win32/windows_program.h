// One run of the Windows program in this process: its real windows and services, with the
// message boxes answered by the test, and its hosts and state files in a temporary folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "answered_boxes.h"
#include "app/application.h"
#include "control_table.h"
#include "scale.h"
#include "services.h"
#include "temp_folder.h"
#include "view_factory.h"

namespace wintest {

class WindowsProgram : public testsupport::AnsweredBoxes {
 public:
  explicit WindowsProgram(win32::Scale scale = {96});
  ~WindowsProgram();

  testsupport::TempFolder folder;
  std::string hosts_path = folder.File("hosts");
  std::string state_path = folder.File("state.dll");

  void WriteHosts(std::string_view text) const { testsupport::WriteBytes(hosts_path, text); }
  std::string Hosts() const { return testsupport::ReadBytes(hosts_path); }
  void WriteState(std::string_view text) const { testsupport::WriteBytes(state_path, text); }

  // Runs the start-up: on screen on a first run, in the tray otherwise.
  app::Application& Start(bool first_run);
  app::Application& app() { return *application_; }
  win32::Win32Services& services() { return *services_; }

  HWND Main();
  HWND Login();     // null while the login window is not loaded
  HWND Password();  // null while the password window is not loaded
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
  void Later(std::function<void()> action);

  // Runs `act` in the list chooser once it is open; a chooser that `act` leaves open is a
  // failure, and is closed so that the test goes on.
  void InChooser(std::function<void(HWND chooser)> act);
  // The rows of the chooser's list, each column's text joined by TABs.
  std::vector<std::string> ChooserRows(HWND chooser);

  // The rows of the list as it shows them: website, a TAB, status.
  std::vector<std::string> Rows();
  std::string Row(int index);
  int SelectedRow();
  // Where a control lies in its parent's client area.
  RECT Placement(HWND control) const;
  SIZE ClientSize(HWND window) const;

 private:
  static LPARAM Lparam(const std::string& text) { return reinterpret_cast<LPARAM>(text.c_str()); }

  std::optional<win32::Win32Services> services_;
  std::optional<win32::Win32ViewFactory> views_;
  std::optional<app::Application> application_;
  HWND actions_ = nullptr;  // runs the posted actions
  std::deque<std::function<void()>> actions_waiting_;
};

}  // namespace wintest
