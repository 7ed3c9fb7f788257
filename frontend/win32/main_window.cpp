#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "picture_box.h"
#include "resource.h"
#include "single_copy.h"
#include "ui/main/main_form.h"

namespace win32 {

namespace {

constexpr const char* kCaption = "Tamborelle Website Durezur";
constexpr int kClientWidth = 575;
constexpr int kClientHeight = 588;  // below the menu bar
constexpr const char* kMakersAddress = "www.tamborelle.com";
constexpr int kStatusPanelWidth = 133;  // 2000 twips
constexpr int kDefaultColumnWidth = 96;
constexpr int kTwipsPerPixel = 15;
constexpr COLORREF kPictureFaceKey = RGB(192, 192, 192);

constexpr FontStyle kListFont{"Verdana", 975, true};
constexpr FontStyle kWebsiteFont{"Verdana", 1125, true};
constexpr FontStyle kEnterWebsiteFont{"Verdana", 1200, true};
constexpr FontStyle kMessageFont{"Verdana", 825, true};

void SetFont(HWND control, const Font& font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
}

HMENU LoadMainMenu() {
  return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
}

}  // namespace

MainWindow::MainWindow(app::Application& application, Win32Services& services, const Scale& scale)
    : Form<ui::MainView>(scale),
      application_(application),
      services_(services),
      taskbar_created_(RegisterWindowMessageA("TaskbarCreated")),
      open_login_(OpenLoginMessage()),
      default_font_(MakeFont(kDefaultFont, scale)),
      list_font_(MakeFont(kListFont, scale)),
      website_font_(MakeFont(kWebsiteFont, scale)),
      enter_website_font_(MakeFont(kEnterWebsiteFont, scale)),
      message_font_(MakeFont(kMessageFont, scale)),
      banner_(LoadPicture(IDB_BANNER_MAIN, scale)),
      allow_picture_(LoadPicture(IDB_ALLOW, scale, kPictureFaceKey)),
      block_picture_(LoadPicture(IDB_BLOCK, scale, kPictureFaceKey)),
      apply_picture_(LoadPicture(IDB_APPLY, scale, kPictureFaceKey)),
      website_key_down_([this](std::int16_t key_code, std::int16_t shift) {
        Raise([&](ui::frmRirAvadera& form) { form.txtWebsite_KeyDown(key_code, shift); });
      }) {
  Create({.class_name = kMainWindowClass,
          .caption = kCaption,
          .client_width = kClientWidth,
          .client_height = kClientHeight,
          .menu = LoadMainMenu()});
  if (hwnd()) {
    // Explorer runs without administrator rights; its message must still reach us.
    ChangeWindowMessageFilterEx(hwnd(), taskbar_created_, MSGFLT_ALLOW, nullptr);
    MakeControls();
  }
}

MainWindow::~MainWindow() {
  Destroy();
}

void MainWindow::MakeControls() {
  const HWND window = hwnd();
  const Scale& at = scale();
  // Made in tab order, which is also the order in which the Tab key moves the focus.
  command1_ = MakeControl(window, "BUTTON", "Command1", WS_TABSTOP | BS_PUSHBUTTON, IDC_COMMAND1,
                          {664, 408, 201, 49}, at);
  status_bar_ =
      MakeControl(window, STATUSCLASSNAMEA, "", CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                  IDC_STATUSBAR1, {0, 563, 575, 25}, at);
  list_ =
      MakeControl(window, WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA,
                  IDC_LVWWEBSITES, {8, 200, 561, 305}, at, WS_EX_CLIENTEDGE);
  export_ = MakeControl(window, "EDIT", "", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL,
                        IDC_TXTEXPORT, {600, 88, 297, 273}, at, WS_EX_CLIENTEDGE);
  command3_ = MakeControl(window, "BUTTON", "Preview Saved Data", WS_TABSTOP | BS_PUSHBUTTON,
                          IDC_COMMAND3, {712, 368, 129, 33}, at);
  add_entry_ = MakeControl(window, "BUTTON", "Add Entry", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED,
                           IDC_CMDADDENTRY, {464, 152, 105, 33}, at);
  website_ = MakeControl(window, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, IDC_TXTWEBSITE,
                         {8, 152, 449, 33}, at, WS_EX_CLIENTEDGE);
  enter_website_ = MakeControl(window, "STATIC", "Enter Website:", SS_LEFT, IDC_LBLENTERWEBSITE,
                               {8, 128, 289, 25}, at);
  picture1_ = MakePictureBox(window, IDC_PICTURE1, banner_.get(), {0, 0, 576, 121}, at);
  message_ = MakeControl(picture1_, "STATIC", "Important: Restart your Web Browser!", SS_LEFT,
                         IDC_LBLMESSAGE, {144, 88, 257, 17}, at);
  ShowWindow(message_, SW_HIDE);
  // The label's box reaches one pixel into the entry box below it.
  SetWindowLongPtrA(enter_website_, GWL_STYLE,
                    GetWindowLongPtrA(enter_website_, GWL_STYLE) | WS_CLIPSIBLINGS);
  const DWORD picture_button = SS_BITMAP | SS_NOTIFY | SS_REALSIZECONTROL;
  allow_ = MakeControl(window, "STATIC", "", picture_button, IDC_IMGALLOW, {8, 512, 124, 33}, at);
  block_ = MakeControl(window, "STATIC", "", picture_button, IDC_IMGBLOCK, {136, 512, 124, 33}, at);
  apply_ = MakeControl(window, "STATIC", "", picture_button, IDC_IMGAPPLY, {443, 511, 124, 33}, at);
  SendMessageA(allow_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(allow_picture_.get()));
  SendMessageA(block_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(block_picture_.get()));
  SendMessageA(apply_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(apply_picture_.get()));

  for (const HWND control : {command1_, status_bar_, export_, command3_, add_entry_}) {
    SetFont(control, default_font_);
  }
  SetFont(list_, list_font_);
  SetFont(website_, website_font_);
  SetFont(enter_website_, enter_website_font_);
  SetFont(message_, message_font_);

  // Neither box has a length limit.
  SendMessageA(website_, EM_SETLIMITTEXT, 0, 0);
  SendMessageA(export_, EM_SETLIMITTEXT, 0, 0);
  ForwardKeyDown(website_, website_key_down_);
  LetTabLeave(export_);

  int panel_edge = at(kStatusPanelWidth);
  SendMessageA(status_bar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&panel_edge));
  SendMessageA(status_bar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kMakersAddress));
}

template <class Handler>
void MainWindow::Raise(Handler handler) {
  if (!quiet() && application_.IsLoaded(ui::FormId::kMain)) {
    handler(application_.Main());
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
  SendMessageA(list_, LVM_SETITEMCOUNT, list.size(), LVSICF_NOSCROLL);
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (const auto selected = list.selected()) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&state));
  }
  InvalidateRect(list_, nullptr, TRUE);
}

void MainWindow::EnsureRowVisible(std::size_t position) {
  SendMessageA(list_, LVM_ENSUREVISIBLE, position, FALSE);
}

void MainWindow::FocusList() {
  SetFocus(list_);
}

void MainWindow::SetRestartNoticeVisible(bool visible) {
  ShowWindow(message_, visible ? SW_SHOW : SW_HIDE);
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
      static_cast<std::size_t>(item.iItem) >= rows_->size() || item.cchTextMax <= 0) {
    return;
  }
  const blocklist::Entry entry = (*rows_)[static_cast<std::size_t>(item.iItem)];
  const std::string_view text =
      item.iSubItem == 0 ? entry.website : blocklist::StatusText(entry.status);
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), length);
  item.pszText[length] = '\0';
}

int MainWindow::FindRow(const NMLVFINDITEMA& request) const {
  // Typing in the list moves to the next row whose website starts with the typed text.
  if (!rows_ || rows_->empty() || !(request.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) ||
      !request.lvfi.psz) {
    return -1;
  }
  const std::string_view typed(request.lvfi.psz);
  const std::size_t count = rows_->size();
  const std::size_t start = request.iStart >= 0 ? static_cast<std::size_t>(request.iStart) : 0;
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t row = (start + step) % count;
    const std::string_view website = (*rows_)[row].website;
    if (website.size() >= typed.size() &&
        CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, website.data(),
                       static_cast<int>(typed.size()), typed.data(),
                       static_cast<int>(typed.size())) == CSTR_EQUAL) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

void MainWindow::SelectionMoved() {
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
    case LVN_ODSTATECHANGED:
      SelectionMoved();
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
    case IDM_PASSWORD:
      return Raise([](Logic& form) { form.mmuPassword_Click(); });
    case IDM_EXIT:
      return Raise([](Logic& form) { form.mmuExit_Click(); });
    case IDM_ALLOW:
      return Raise([](Logic& form) { form.mmuAllow_Click(); });
    case IDM_BLOCK:
      return Raise([](Logic& form) { form.mmuBlock_Click(); });
    case IDM_REMOVE_SITE:
      return Raise([](Logic& form) { form.mmuRemoveSite_Click(); });
    case IDM_CLEAR_ALL:
      return Raise([](Logic& form) { form.mmuClearAll_Click(); });
    case IDM_UNINSTALL:
      return Raise([](Logic& form) { form.mmuUninstall_Click(); });
    case IDM_SUPPORT:
    case IDM_ABOUT:
      return;  // present, and bound to nothing
    case IDC_TXTWEBSITE:
      if (code == EN_CHANGE) {
        Raise([](Logic& form) { form.txtWebsite_Change(); });
      }
      return;
    default:
      break;
  }
  if (code == BN_CLICKED) {  // also STN_CLICKED, which has the same number
    switch (id) {
      case IDC_CMDADDENTRY:
        return Raise([](Logic& form) { form.cmdAddEntry_Click(); });
      case IDC_COMMAND1:
        return Raise([](Logic& form) { form.Command1_Click(); });
      case IDC_COMMAND3:
        return Raise([](Logic& form) { form.Command3_Click(); });
      case IDC_IMGALLOW:
        return Raise([](Logic& form) { form.imgAllow_Click(); });
      case IDC_IMGBLOCK:
        return Raise([](Logic& form) { form.imgBlock_Click(); });
      case IDC_IMGAPPLY:
        return Raise([](Logic& form) { form.imgApply_Click(); });
      default:
        return;
    }
  }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wparam);
      const auto control = reinterpret_cast<HWND>(lparam);
      if (control == message_) {
        return reinterpret_cast<LRESULT>(TransparentLabelColours(dc, RGB(255, 0, 0)));
      }
      break;
    }
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lparam) == website_) {
        const auto dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_CLOSE:
      if (!quiet()) {
        application_.Unload(ui::FormId::kMain, ui::UnloadMode::kControlMenu);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // never refused: the list is written when the session ends
    case WM_ENDSESSION:
      if (wparam && !quiet()) {
        application_.EndSession();
      }
      return 0;
    case kTrayCallbackMessage:
      Raise([&](ui::frmRirAvadera& form) { form.nidTray_MouseMessage(LOWORD(lparam)); });
      return 0;
    case WM_SIZE: {
      const LRESULT result = NativeWindow::OnMessage(message, wparam, lparam);
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
        if (!quiet()) {
          application_.AnotherCopyStarted();
        }
        return 0;
      }
      break;
  }
  return NativeWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
