// The main window, frmRirAvadera, as a native window: its controls, menus, list and status bar,
// and the routing of their events, the tray's and the session's to the window logic.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/application.h"
#include "controls.h"
#include "gdi.h"
#include "native_window.h"
#include "services.h"
#include "ui/main/main_view.h"

namespace win32 {

inline constexpr const char* kMainWindowClass = "TamborelleRirAvadera.Main";

class MainWindow final : public Form<ui::MainView> {
 public:
  MainWindow(app::Application& application, Win32Services& services, const Scale& scale);
  ~MainWindow() override;

  void AddColumn(std::string_view header, std::optional<int> width_twips) override;
  std::string WebsiteText() const override;
  void SetWebsiteText(std::string_view text) override;
  void SetAddEntryEnabled(bool enabled) override;
  void ShowRows(const blocklist::BlockList& list) override;
  void EnsureRowVisible(std::size_t position) override;
  void FocusList() override;
  void SetRestartNoticeVisible(bool visible) override;
  void SetExportText(std::string_view text) override;
  std::uintptr_t Icon() const override;

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  HWND FirstFocus() const override { return command1_; }

  void MakeControls();
  // Runs a handler of the window logic for an event of the window, unless the program itself
  // caused it.
  template <class Handler>
  void Raise(Handler handler);
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  void ShowRowText(NMLVDISPINFOA& request) const;
  int FindRow(const NMLVFINDITEMA& request) const;
  void SelectionMoved();

  app::Application& application_;
  Win32Services& services_;
  const blocklist::BlockList* rows_ = nullptr;
  UINT taskbar_created_ = 0;
  UINT open_login_ = 0;

  Font default_font_;
  Font list_font_;
  Font website_font_;
  Font enter_website_font_;
  Font message_font_;
  Bitmap banner_;
  Bitmap allow_picture_;
  Bitmap block_picture_;
  Bitmap apply_picture_;
  KeyDownHandler website_key_down_;

  HWND command1_ = nullptr;
  HWND status_bar_ = nullptr;
  HWND list_ = nullptr;
  HWND export_ = nullptr;
  HWND command3_ = nullptr;
  HWND add_entry_ = nullptr;
  HWND website_ = nullptr;
  HWND enter_website_ = nullptr;
  HWND picture1_ = nullptr;
  HWND message_ = nullptr;
  HWND allow_ = nullptr;
  HWND block_ = nullptr;
  HWND apply_ = nullptr;
};

}  // namespace win32
