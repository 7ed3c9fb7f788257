// What the main window shows: the entry box and its button, the list of websites, the restart
// notice and the off-screen preview box.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"
#include "ui/common/form_view.h"
#include "ui/main/row_statuses.h"
#include "ui/main/shown_rows.h"

namespace ui {

class MainView : public FormView {
 public:
  // Adds a column to `lvwWebsites`; no width means the list's default.
  virtual void AddColumn(std::string_view header, std::optional<int> width_twips) = 0;

  // `txtWebsite`, as 8-bit text. Setting it raises no change event.
  virtual std::string WebsiteText() const = 0;
  virtual void SetWebsiteText(std::string_view text) = 0;
  virtual void SetAddEntryEnabled(bool enabled) = 0;

  // `lvwWebsites` presents `list` (rows, statuses and its selection) without copying it; the
  // list stays valid while the window is loaded. Called after every change of the list and of
  // the rows shown. Its rows are the rows shown (SetShownRows); the list's selected entry is
  // selected alone when it is shown, and no row is selected otherwise.
  virtual void ShowRows(const blocklist::BlockList& list) = 0;
  // Which entries `lvwWebsites` shows in its rows, from the window's load on; it outlives the
  // view. EnsureRowVisible and the list's selection speak of list positions, the control's rows
  // and the selection events of rows shown.
  virtual void SetShownRows(const ShownRows& shown) = 0;
  // The rows shown that are selected in `lvwWebsites`, ascending (Shift and Ctrl with a click,
  // Ctrl+A); asked only when a command acts on them.
  virtual std::vector<std::size_t> SelectedRows() const = 0;
  // `txtFind`, above the list, as 8-bit text. Setting it raises no change event.
  virtual std::string FindText() const = 0;
  virtual void SetFindText(std::string_view text) = 0;
  virtual void FocusFind() = 0;
  // What the Status column says of each row, from the window's load on; it outlives the view.
  virtual void SetRowStatuses(const RowStatuses& statuses) = 0;
  // Scrolls the list to the row that shows the entry at `position`.
  virtual void EnsureRowVisible(std::size_t position) = 0;
  virtual void FocusList() = 0;

  // `lblMessage`, "Important: Restart your Web Browser!".
  virtual void SetRestartNoticeVisible(bool visible) = 0;
  // `lblBrowserWarning`, beneath it: which browser gets past the hosts file; empty hides it.
  virtual void SetBrowserWarning(std::string_view text) = 0;
  // The status bar's second panel, beside the fixed one: what the last command did, told
  // without a box to close.
  virtual void SetStatusText(std::string_view text) = 0;
  // The menu item "Leave Browser Settings Alone", checked while they are left alone.
  virtual void SetBrowsersLeftAlone(bool left_alone) = 0;
  // `lblLocked`: shown with `text`, hidden when it is empty.
  virtual void SetLockLine(std::string_view text) = 0;
  // `txtExport`.
  virtual void SetExportText(std::string_view text) = 0;

  // The icon the window shows, also used for the notification area.
  virtual std::uintptr_t Icon() const = 0;
};

}  // namespace ui
