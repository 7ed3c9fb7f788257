#include "main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "blocklist/host_name.h"
#include "picture_box.h"
#include "resource.h"
#include "single_copy.h"
#include "ui/main/main_form.h"

namespace win32 {

namespace {

constexpr int kDefaultColumnWidth = 96;
constexpr int kTwipsPerPixel = 15;
constexpr COLORREF kPictureFaceKey = RGB(192, 192, 192);

// The list asks for each row's text as it paints it, straight from the block list.
DWORD OwnStyle(const ui::layout::Control& control) {
  return control.kind == ui::layout::Kind::kListView ? LVS_OWNERDATA : 0;
}

void ShowPicture(HWND picture_button, const Bitmap& picture) {
  SendMessageA(picture_button, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
}

HMENU LoadMainMenu() {
  return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
}

// Ctrl+F, and whatever other key the menus name.
HACCEL LoadMainKeys() {
  return LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_KEYS));
}

}  // namespace

MainWindow::MainWindow(ui::Forms& forms, Win32Services& services, const ProgramEvents& events,
                       const Scale& scale)
    : Form<ui::MainView>(scale),
      forms_(forms),
      services_(services),
      events_(events),
      taskbar_created_(RegisterWindowMessageA("TaskbarCreated")),
      open_login_(OpenLoginMessage()),
      banner_(LoadPicture(IDB_BANNER_MAIN, scale)),
      allow_picture_(LoadPicture(IDB_ALLOW, scale, kPictureFaceKey)),
      block_picture_(LoadPicture(IDB_BLOCK, scale, kPictureFaceKey)),
      apply_picture_(LoadPicture(IDB_APPLY, scale, kPictureFaceKey)),
      website_key_down_([this](std::int16_t key_code, std::int16_t shift) {
        Raise([&](ui::frmRirAvadera& form) { form.txtWebsite_KeyDown(key_code, shift); });
      }) {
  if (CreateFromTable({.class_name = kMainWindowClass, .table = kMainTable, .menu = LoadMainMenu()},
                      OwnStyle)) {
    // Explorer runs without administrator rights; its message must still reach us.
    ChangeWindowMessageFilterEx(hwnd(), taskbar_created_, MSGFLT_ALLOW, nullptr);
    SetAccelerators(hwnd(), LoadMainKeys());
    SetUpControls();
  }
}

MainWindow::~MainWindow() {
  Destroy();
}

void MainWindow::SetUpControls() {
  list_ = Control("lvwWebsites");
  export_ = Control("txtExport");
  add_entry_ = Control("cmdAddEntry");
  website_ = Control("txtWebsite");
  find_ = Control("txtFind");
  message_ = Control("lblMessage");
  browser_warning_ = Control("lblBrowserWarning");
  lock_line_ = Control("lblLocked");

  SetBoxPicture(Control("Picture1"), banner_.get());
  ShowPicture(Control("imgAllow"), allow_picture_);
  ShowPicture(Control("imgBlock"), block_picture_);
  ShowPicture(Control("imgApply"), apply_picture_);
  ForwardKeyDown(website_, website_key_down_);
  PasteLinesAsBlanks(website_);

  const HWND status_bar = Control("StatusBar1");
  // The fixed panel, then one to the right edge for what the last command did.
  std::array<int, 2> panel_edges{scale()(ui::kStatusPanelWidth), -1};
  SendMessageA(status_bar, SB_SETPARTS, panel_edges.size(),
               reinterpret_cast<LPARAM>(panel_edges.data()));
  SendMessageA(status_bar, SB_SETTEXTA, 0,
               reinterpret_cast<LPARAM>(std::string(ui::kStatusPanelText).c_str()));
}

template <class Handler>
void MainWindow::Raise(Handler handler) {
  if (!quiet() && forms_.IsLoaded(ui::FormId::kMain)) {
    handler(forms_.Main());
  }
}

void MainWindow::AddColumn(std::string_view header, std::optional<int> width_twips) {
  std::string text(header);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.pszText = text.data();
  column.cx = scale()(width_twips ? *width_twips / kTwipsPerPixel : kDefaultColumnWidth);
  const auto header_control = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
  const auto count = SendMessageA(header_control, HDM_GETITEMCOUNT, 0, 0);
  SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(count),
               reinterpret_cast<LPARAM>(&column));
  if (!width_twips) {
    // The last column takes the room the others leave: a scheduled entry's status is long.
    FitLastColumn();
  }
}

void MainWindow::FitLastColumn() {
  const auto header_control = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
  const auto count = SendMessageA(header_control, HDM_GETITEMCOUNT, 0, 0);
  if (count > 0) {
    SendMessageA(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(count - 1),
                 LVSCW_AUTOSIZE_USEHEADER);
  }
}

std::string MainWindow::WebsiteText() const {
  return TextOf(website_);
}

void MainWindow::SetWebsiteText(std::string_view text) {
  Quietly quietly(*this);
  SetText(website_, text);
}

void MainWindow::SetAddEntryEnabled(bool enabled) {
  EnableWindow(add_entry_, enabled);
}

void MainWindow::ShowRows(const blocklist::BlockList& list) {
  Quietly quietly(*this);
  rows_ = &list;
  // The list asks for each row's text as it paints it: a million rows cost nothing here.
  SendMessageA(list_, LVM_SETITEMCOUNT, RowsShown(), LVSICF_NOSCROLL);
  // More rows than fit bring the vertical scroll bar, and the room it takes would otherwise
  // push the last column past the edge, under a horizontal one.
  FitLastColumn();
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  const auto selected = list.selected();
  if (const auto row = selected ? RowOf(*selected) : std::nullopt) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, *row, reinterpret_cast<LPARAM>(&state));
  }
  InvalidateRect(list_, nullptr, TRUE);
}

void MainWindow::SetShownRows(const ui::ShownRows& shown) {
  shown_ = &shown;
}

std::size_t MainWindow::RowsShown() const {
  if (!rows_) {
    return 0;
  }
  return shown_ ? shown_->size(*rows_) : rows_->size();
}

std::size_t MainWindow::PositionOf(std::size_t row) const {
  return shown_ ? shown_->Position(row) : row;
}

std::optional<std::size_t> MainWindow::RowOf(std::size_t position) const {
  const std::optional<std::size_t> row = shown_ ? shown_->RowOf(position) : std::optional(position);
  return row && *row < RowsShown() ? row : std::nullopt;
}

std::vector<std::size_t> MainWindow::SelectedRows() const {
  // The list keeps its selection as ranges and finds each next row from the last: ascending.
  std::vector<std::size_t> rows;
  for (auto row = SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
       row >= 0;
       row = SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) {
    rows.push_back(static_cast<std::size_t>(row));
  }
  return rows;
}

std::string MainWindow::FindText() const {
  return TextOf(find_);
}

void MainWindow::SetFindText(std::string_view text) {
  Quietly quietly(*this);
  SetText(find_, text);
}

void MainWindow::FocusFind() {
  SetFocus(find_);
  SendMessageA(find_, EM_SETSEL, 0, -1);
}

void MainWindow::SetRowStatuses(const ui::RowStatuses& statuses) {
  statuses_ = &statuses;
}

void MainWindow::EnsureRowVisible(std::size_t position) {
  if (const auto row = RowOf(position)) {
    SendMessageA(list_, LVM_ENSUREVISIBLE, *row, FALSE);
  }
}

void MainWindow::FocusList() {
  SetFocus(list_);
}

void MainWindow::SetRestartNoticeVisible(bool visible) {
  ShowWindow(message_, visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::SetStatusText(std::string_view text) {
  SendMessageA(Control("StatusBar1"), SB_SETTEXTA, 1,
               reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void MainWindow::SetBrowserWarning(std::string_view text) {
  SetText(browser_warning_, text);
  ShowWindow(browser_warning_, text.empty() ? SW_HIDE : SW_SHOW);
}

void MainWindow::SetBrowsersLeftAlone(bool left_alone) {
  CheckMenuItem(GetMenu(hwnd()), IDM_BROWSER_SETTINGS,
                static_cast<UINT>(MF_BYCOMMAND | (left_alone ? MF_CHECKED : MF_UNCHECKED)));
}

void MainWindow::SetLockLine(std::string_view text) {
  SetText(lock_line_, text);
  ShowWindow(lock_line_, text.empty() ? SW_HIDE : SW_SHOW);
}

void MainWindow::SetExportText(std::string_view text) {
  SetText(export_, text);
}

std::uintptr_t MainWindow::Icon() const {
  return reinterpret_cast<std::uintptr_t>(small_icon());
}

void MainWindow::ShowRowText(NMLVDISPINFOA& request) const {
  LVITEMA& item = request.item;
  if (!(item.mask & LVIF_TEXT) || !rows_ || item.iItem < 0 ||
      static_cast<std::size_t>(item.iItem) >= RowsShown() || item.cchTextMax <= 0) {
    return;
  }
  const std::size_t position = PositionOf(static_cast<std::size_t>(item.iItem));
  if (position >= rows_->size()) {
    return;
  }
  const blocklist::Entry entry = (*rows_)[position];
  const std::string text = item.iSubItem == 0 ? blocklist::ShownName(entry.website)
                           : statuses_        ? statuses_->Text(entry)
                                              : std::string(blocklist::StatusText(entry.status));
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), length);
  item.pszText[length] = '\0';
}

int MainWindow::FindRow(const NMLVFINDITEMA& request) const {
  // Typing in the list moves to the next row whose website, as shown, starts with the typed text.
  if (!rows_ || RowsShown() == 0 || !(request.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) ||
      !request.lvfi.psz) {
    return -1;
  }
  const std::string_view typed(request.lvfi.psz);
  const std::size_t count = RowsShown();
  const std::size_t start = request.iStart >= 0 && static_cast<std::size_t>(request.iStart) < count
                                ? static_cast<std::size_t>(request.iStart)
                                : 0;
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t row = (start + step) % count;
    const std::string website = blocklist::ShownName((*rows_)[PositionOf(row)].website);
    if (website.size() >= typed.size() &&
        CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, website.data(),
                       static_cast<int>(typed.size()), typed.data(),
                       static_cast<int>(typed.size())) == CSTR_EQUAL) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

void MainWindow::OnListKey(const NMLVKEYDOWN& key) {
  if (key.wVKey == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
    // One message for all rows, which the list keeps as one range: cheap for a million.
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
  }
}

void MainWindow::SelectionMoved() {
  // The first selected row, found from the top: one look however many rows are selected.
  const auto selected =
      SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  Raise([&](ui::frmRirAvadera& form) {
    form.lvwWebsites_SelectionMoved(
        selected >= 0 ? std::optional(static_cast<std::size_t>(selected)) : std::nullopt);
  });
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) {
    return 0;
  }
  switch (header.code) {
    case LVN_GETDISPINFOA:
      ShowRowText(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header)));
      return 0;
    case LVN_ODFINDITEMA:
      return FindRow(reinterpret_cast<const NMLVFINDITEMA&>(header));
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) &&
          ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
        SelectionMoved();
      }
      return 0;
    }
    case LVN_ODSTATECHANGED:  // a range of rows, by Shift and a click or a key
      SelectionMoved();
      return 0;
    case LVN_KEYDOWN:
      OnListKey(reinterpret_cast<const NMLVKEYDOWN&>(header));
      return 0;
    default:
      return 0;
  }
}

void MainWindow::OnCommand(int id, int code) {
  using Logic = ui::frmRirAvadera;
  switch (id) {
    case IDM_APPLY:
      return Raise([](Logic& form) { form.cmdApply_Click(); });
    case IDM_RESTORE:
      return Raise([](Logic& form) { form.mmuRestore_Click(); });
    case IDM_IMPORT:
      return Raise([](Logic& form) { form.mmuImport_Click(); });
    case IDM_EXPORT:
      return Raise([](Logic& form) { form.mmuExport_Click(); });
    case IDM_FIND:
      return Raise([](Logic& form) { form.mmuFind_Click(); });
    case IDM_PASSWORD:
      return Raise([](Logic& form) { form.mmuPassword_Click(); });
    case IDM_EXIT:
      return Raise([](Logic& form) { form.mmuExit_Click(); });
    case IDM_ALLOW:
      return Raise([](Logic& form) { form.mmuAllow_Click(); });
    case IDM_BLOCK:
      return Raise([](Logic& form) { form.mmuBlock_Click(); });
    case IDM_BLOCK_ON_SCHEDULE:
      return Raise([](Logic& form) { form.mmuBlockOnSchedule_Click(); });
    case IDM_REMOVE_SITE:
      return Raise([](Logic& form) { form.mmuRemoveSite_Click(); });
    case IDM_CLEAR_ALL:
      return Raise([](Logic& form) { form.mmuClearAll_Click(); });
    case IDM_CHECK_BLOCKING:
      return Raise([](Logic& form) { form.mmuCheckBlocking_Click(); });
    case IDM_LOCK:
      return Raise([](Logic& form) { form.mmuLock_Click(); });
    case IDM_SCHEDULE:
      return Raise([](Logic& form) { form.mmuSchedule_Click(); });
    case IDM_BROWSER_SETTINGS:
      return Raise([](Logic& form) { form.mmuBrowserSettings_Click(); });
    case IDM_UNINSTALL:
      return Raise([](Logic& form) { form.mmuUninstall_Click(); });
    case IDM_SUPPORT:
    case IDM_ABOUT:
      return;  // present, and bound to nothing
    case kMainTable.Id("txtWebsite"):
      if (code == EN_CHANGE) {
        Raise([](Logic& form) { form.txtWebsite_Change(); });
      }
      return;
    case kMainTable.Id("txtFind"):
      if (code == EN_CHANGE) {
        Raise([](Logic& form) { form.txtFind_Change(); });
      }
      return;
    default:
      break;
  }
  if (code == BN_CLICKED) {  // also STN_CLICKED, which has the same number
    switch (id) {
      case kMainTable.Id("cmdAddEntry"):
        return Raise([](Logic& form) { form.cmdAddEntry_Click(); });
      case kMainTable.Id("Command1"):
        return Raise([](Logic& form) { form.Command1_Click(); });
      case kMainTable.Id("Command3"):
        return Raise([](Logic& form) { form.Command3_Click(); });
      case kMainTable.Id("imgAllow"):
        return Raise([](Logic& form) { form.imgAllow_Click(); });
      case kMainTable.Id("imgBlock"):
        return Raise([](Logic& form) { form.imgBlock_Click(); });
      case kMainTable.Id("imgApply"):
        return Raise([](Logic& form) { form.imgApply_Click(); });
      default:
        return;
    }
  }
}

// The entry commands where the user right-clicked a row (the click selected it) or pressed the
// menu key; the command comes back as WM_COMMAND, as from the Edit menu.
void MainWindow::ShowListMenu(LPARAM at) {
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (point.x == -1 && point.y == -1) {  // from the keyboard: below the list's top left corner
    RECT rect{};
    GetWindowRect(list_, &rect);
    point = {rect.left + 8, rect.top + 24};
  }
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_LIST_MENU));
  if (menu == nullptr) {
    return;
  }
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd(),
                 nullptr);
  DestroyMenu(menu);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wparam) == list_) {
        ShowListMenu(lparam);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (!quiet()) {
        forms_.Unload(ui::FormId::kMain, ui::UnloadMode::kControlMenu);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // never refused: the list is written when the session ends
    case WM_ENDSESSION:
      if (wparam && !quiet() && events_.session_ending) {
        events_.session_ending();
      }
      return 0;
    case kTrayCallbackMessage:
      Raise([&](ui::frmRirAvadera& form) { form.nidTray_MouseMessage(LOWORD(lparam)); });
      return 0;
    case WM_SIZE: {
      const LRESULT result = FormWindow::OnMessage(message, wparam, lparam);
      if (wparam == SIZE_MINIMIZED) {
        Raise([](ui::frmRirAvadera& form) { form.Form_Resize(); });
      }
      return result;
    }
    default:
      if (message == taskbar_created_ && taskbar_created_ != 0) {
        services_.RestoreTrayIcon();
        return 0;
      }
      if (message == open_login_ && open_login_ != 0) {
        if (!quiet() && events_.another_copy_started) {
          events_.another_copy_started();
        }
        return 0;
      }
      break;
  }
  return FormWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
