// What a user does to one run of the program and what the user sees, in the program's own terms:
// the windows, their controls by the names of the layout tables, the menu items by their
// captions, the message boxes, the notification icon and the hosts and state files. Each front
// end's test fixture drives its real windows behind it, so that one scenario runs in both.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "answered_boxes.h"
#include "app/application.h"
#include "blockcheck/browser_bypass.h"
#include "temp_folder.h"

namespace testsupport {

// The program's windows, the list chooser that "Restore Hosts File..." and a check of the blocks
// open, and the window that follows that check.
enum class Window { kMain, kLogin, kPassword, kLock, kSchedule, kChooser, kProgress };

// How the user clicks the notification icon.
enum class TrayClick { kSingle, kContext, kDouble };

class ProgramDriver : public AnsweredBoxes {
 public:
  ProgramDriver() = default;
  ProgramDriver(const ProgramDriver&) = delete;
  ProgramDriver& operator=(const ProgramDriver&) = delete;
  virtual ~ProgramDriver() = default;

  TempFolder folder;
  std::string hosts_path = folder.File("hosts");
  std::string state_path = folder.File("state.dll");

  // The system's resolver does not read the test's hosts file: the check of the blocks finds
  // these names leaking, for IPv6, and stops after this many look-ups to wait for Cancel.
  std::vector<std::string> leaking;
  std::optional<std::size_t> check_stops_after;
  // Where the program looks for the user's Firefox profiles.
  std::string firefox_folder = folder.File("firefox");
  // The browsers the program finds: Firefox's profiles in the folder above, no other browser, and
  // no policy (a folder or a key that is not there), whatever this machine holds.
  blockcheck::BrowserPlaces BrowserPlaces() const {
#ifdef _WIN32
    const browserpolicy::PolicyPlaces none{"SOFTWARE\\RirAvaderaTest\\NoPolicies"};
#else
    const browserpolicy::PolicyPlaces none{folder.File("no-policies")};
#endif
    blockcheck::BrowserPlaces places;
    places.firefox_folders = {firefox_folder};
    places.policies = none;
    return places;
  }

  void WriteHosts(std::string_view text) const {
    WriteFinished(hosts_path, text);
  }
  std::string Hosts() const {
    return ReadBytes(hosts_path);
  }
  void WriteState(std::string_view text) const {
    WriteBytes(state_path, text);
  }
  std::string State() const {
    return ReadBytes(state_path);
  }

  // The line end of this system's text files, which a new hosts file gets.
  virtual std::string_view LineEnd() const = 0;
  // UTF-8 `text` as this system's 8-bit text, which the windows show and take.
  virtual std::string Local(std::string_view text) const = 0;
  // `text` with each "\n" made this system's line end.
  std::string Lines(std::string_view text) const {
    std::string lines;
    for (const char c : text) {
      lines += c == '\n' ? std::string(LineEnd()) : std::string(1, c);
    }
    return lines;
  }

  // Runs the start-up: on screen on a first run, in the notification area otherwise.
  virtual app::Application& Start(bool first_run) = 0;
  virtual app::Application& app() = 0;

  // Whether the window is loaded and on screen.
  virtual bool Shown(Window window) = 0;
  // Whether the main window is minimized.
  virtual bool Minimized() = 0;
  // Whether the window takes the user's input (no modal window over it).
  virtual bool TakesInput(Window window) = 0;
  virtual std::string Caption(Window window) = 0;

  // The controls, by their names in the layout tables.
  virtual void TypeIn(Window window, std::string_view control, std::string_view text) = 0;
  virtual void PressEnterIn(Window window, std::string_view control) = 0;
  virtual void ClickOn(Window window, std::string_view control) = 0;
  virtual std::string TextOf(Window window, std::string_view control) = 0;
  // What the main window's status bar says beside its fixed panel.
  virtual std::string StatusText() = 0;
  virtual bool Enabled(Window window, std::string_view control) = 0;
  // Whether a check box is ticked.
  virtual bool Ticked(Window window, std::string_view control) = 0;
  virtual bool ControlShown(Window window, std::string_view control) = 0;
  // Hides a control, to see the program show it again.
  virtual void Hide(Window window, std::string_view control) = 0;

  // A menu item of the main window, by its menu's caption and its own.
  virtual void ChooseMenu(std::string_view menu, std::string_view item) = 0;
  // The window's close box.
  virtual void CloseWithCloseBox(Window window) = 0;

  virtual void ClickTray(TrayClick click) = 0;
  // The program's repeating calls run once (the watch's look at the hosts file).
  virtual void RunRepeats() = 0;
  virtual bool HasTrayIcon() = 0;
  virtual std::string TrayTip() = 0;
  // Whether the program has asked to end.
  virtual bool ProgramEnded() = 0;

  // The main window's list: its rows as shown, website, a TAB, status.
  virtual int RowCount() = 0;
  virtual std::string Row(int index) = 0;
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int row = 0; row < RowCount(); ++row) {
      rows.push_back(Row(row));
    }
    return rows;
  }
  virtual int SelectedRow() = 0;  // -1: none
  // All the rows selected, ascending.
  virtual std::vector<int> SelectedRows() = 0;
  // Selects rows `first` to `last` alone, as a click and a click with Shift do.
  virtual void SelectRows(int first, int last) = 0;
  // Selects every row, with Ctrl+A in the list.
  virtual void SelectAll() = 0;
  // Types into the find box above the list, which narrows it.
  void TypeFind(std::string_view text) {
    TypeIn(Window::kMain, "txtFind", text);
  }
  // Ctrl+F in the main window.
  virtual void PressCtrlF() = 0;
  // Pastes `text`, 8-bit as TypeIn takes it and perhaps of several lines, into a text box
  // through the clipboard.
  virtual void PasteIn(Window window, std::string_view control, std::string_view text) = 0;
  // Whether the control has the keyboard focus.
  virtual bool Focused(Window window, std::string_view control) = 0;
  // Whether the row lies in the visible part of the list.
  virtual bool RowInView(int index) = 0;
  // Selects a row of the main window's list or the chooser's as the user does; -1: none.
  virtual void SelectRow(Window window, int index) = 0;

  // Runs `action` once the events queued before it have been handled: a modal window that opens
  // in between handles it in its own loop.
  virtual void Later(std::function<void()> action) = 0;
  // Opens a modal window of the main window through its Edit menu item and runs `act` in it;
  // returns once the window has unloaded (`act` leaves it open: its close box closes it).
  void InModalWindow(Window window, std::string_view item, const std::function<void()>& act) {
    // Waited for, not one turn of the loop: the menu item may wait for other work first.
    WhenShown(window, [this, window, act] {
      act();
      if (Shown(window)) {
        CloseWithCloseBox(window);
      }
    });
    ChooseMenu("Edit", item);
  }
  void InLockWindow(const std::function<void()>& act) {
    InModalWindow(Window::kLock, "Lock Blocks...", act);
  }
  void InScheduleWindow(const std::function<void()>& act) {
    InModalWindow(Window::kSchedule, "Schedule...", act);
  }
  // Runs `act` in the list chooser once it is open; a chooser that `act` leaves open is a
  // failure, and is cancelled so that the test goes on.
  virtual void InChooser(std::function<void()> act) = 0;
  // Runs `act` once `window` is on screen (a window a long task opens after a moment); a failure
  // when it does not come within seconds.
  void WhenShown(Window window, std::function<void()> act) {
    LookFor(window, std::move(act), std::chrono::steady_clock::now() + std::chrono::seconds(10));
  }
  // The chooser's column headers, and its rows with each column's text joined by TABs.
  virtual std::vector<std::string> ChooserColumns() = 0;
  virtual std::vector<std::string> ChooserRows() = 0;
  // Whether the chooser is a modal window of the main window.
  virtual bool ChooserOwnedByMain() = 0;
  // Control-clicks a row of the chooser: picks it, or unpicks it, where the list allows.
  virtual void ToggleChooserRow(int index) = 0;
  // The chooser's rows picked, in order.
  virtual std::vector<int> ChooserPicked() = 0;

  // Puts a stand-in uninstaller where the program looks for it.
  virtual void PlaceUninstaller() = 0;
  // Waits a while for the stand-in uninstaller to have run, as the program should start it.
  virtual bool UninstallerRan() = 0;

 private:
  // Looks again each time the loop runs, until the window is there or the time is up.
  void LookFor(Window window, std::function<void()> act,
               std::chrono::steady_clock::time_point until) {
    Later([this, window, act = std::move(act), until] {
      if (Shown(window)) {
        act();
      } else if (std::chrono::steady_clock::now() > until) {
        ADD_FAILURE() << "the window did not come";
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        LookFor(window, act, until);
      }
    });
  }
};

}  // namespace testsupport
