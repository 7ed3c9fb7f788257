// The main window, frmRirAvadera, as a native window: its controls, menus, list and status bar,
// and the routing of their events, the tray's and the session's to the window logic.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "controls.h"
#include "form_window.h"
#include "gdi.h"
#include "services.h"
#include "ui/common/forms.h"
#include "ui/main/main_view.h"

namespace win32 {

inline constexpr const char* kMainWindowClass = "TamborelleRirAvadera.Main";

// What the main window hears of that is no event of its logic; win_main.cpp decides what each
// does.
struct ProgramEvents {
  std::function<void()> session_ending;        // the user's session ends
  std::function<void()> another_copy_started;  // a second start of the program woke this one
};

class MainWindow final : public Form<ui::MainView> {
 public:
  // `events` must outlive the window.
  MainWindow(ui::Forms& forms, Win32Services& services, const ProgramEvents& events,
             const Scale& scale);
  ~MainWindow() override;

  void AddColumn(std::string_view header, std::optional<int> width_twips) override;
  std::string WebsiteText() const override;
  void SetWebsiteText(std::string_view text) override;
  void SetAddEntryEnabled(bool enabled) override;
  void ShowRows(const blocklist::BlockList& list) override;
  void SetShownRows(const ui::ShownRows& shown) override;
  std::vector<std::size_t> SelectedRows() const override;
  std::string FindText() const override;
  void SetFindText(std::string_view text) override;
  void FocusFind() override;
  void SetRowStatuses(const ui::RowStatuses& statuses) override;
  void EnsureRowVisible(std::size_t position) override;
  void FocusList() override;
  void SetRestartNoticeVisible(bool visible) override;
  void SetBrowserWarning(std::string_view text) override;
  void SetStatusText(std::string_view text) override;
  void SetBrowsersLeftAlone(bool left_alone) override;
  void SetLockLine(std::string_view text) override;
  void SetExportText(std::string_view text) override;
  std::uintptr_t Icon() const override;

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  void SetUpControls();
  // Runs a handler of the window logic for an event of the window, unless the program itself
  // caused it.
  template <class Handler>
  void Raise(Handler handler);
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  void ShowListMenu(LPARAM at);
  void ShowRowText(NMLVDISPINFOA& request) const;
  int FindRow(const NMLVFINDITEMA& request) const;
  void SelectionMoved();
  // Ctrl+A in the list selects every row.
  void OnListKey(const NMLVKEYDOWN& key);
  // How many rows the list shows, and the list position that a row shows.
  std::size_t RowsShown() const;
  void FitLastColumn();  // to the room the other columns and the scroll bar leave
  std::size_t PositionOf(std::size_t row) const;
  std::optional<std::size_t> RowOf(std::size_t position) const;

  ui::Forms& forms_;
  Win32Services& services_;
  const ProgramEvents& events_;
  const blocklist::BlockList* rows_ = nullptr;
  const ui::RowStatuses* statuses_ = nullptr;
  const ui::ShownRows* shown_ = nullptr;
  UINT taskbar_created_ = 0;
  UINT open_login_ = 0;

  Bitmap banner_;
  Bitmap allow_picture_;
  Bitmap block_picture_;
  Bitmap apply_picture_;
  KeyDownHandler website_key_down_;

  // The controls the window reaches after it was made, found in the table by name.
  HWND list_ = nullptr;
  HWND export_ = nullptr;
  HWND add_entry_ = nullptr;
  HWND website_ = nullptr;
  HWND find_ = nullptr;
  HWND message_ = nullptr;
  HWND browser_warning_ = nullptr;
  HWND lock_line_ = nullptr;
};

}  // namespace win32
