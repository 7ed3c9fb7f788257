#include "list_chooser.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "controls.h"
#include "resource.h"

namespace win32 {

namespace {

constexpr int kClientHeight = 300;

void SetFont(HWND control, const Font& font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
}

}  // namespace

ListChooser::ListChooser(HWND owner, const ui::ListChoice& choice, const Scale& scale)
    : FormWindow(scale), owner_(owner), font_(MakeFont(kDefaultFont, scale)) {
  const std::string title(choice.title);
  Create({.class_name = kListChooserClass,
          .caption = title.c_str(),
          .client_width = choice.client_width,
          .client_height = kClientHeight + choice.PromptGrowth(),
          .owner = owner});
  if (hwnd()) {
    MakeControls(choice);
  }
}

ListChooser::~ListChooser() {
  Finish({});
  Destroy();
}

void ListChooser::MakeControls(const ui::ListChoice& choice) {
  const HWND window = hwnd();
  const Scale& at = scale();
  const int list_width = choice.client_width - 16;
  const int grow = choice.PromptGrowth();
  const HWND prompt = MakeControl(window, "STATIC", std::string(choice.prompt).c_str(), SS_LEFT,
                                  IDC_CHOOSER_PROMPT, {8, 8, list_width, 28 + grow}, at);
  list_ = MakeControl(
      window, WC_LISTVIEWA, "",
      WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | (choice.multiple ? 0 : LVS_SINGLESEL),
      IDC_CHOOSER_LIST, {8, 40 + grow, list_width, 216}, at, WS_EX_CLIENTEDGE);
  selectable_ = choice.selectable;
  // The buttons answer Enter and Esc through the dialog keys, as a dialog's do. A list only to
  // be read has its one button, which closes it, where the other one would be.
  choosing_ = !choice.choose_button.empty();
  const int right = choice.client_width - 8;
  const int choose_left = right - 90 - choice.choose_width;
  const HWND other =
      MakeControl(window, "BUTTON", std::string(choice.other_button).c_str(),
                  WS_TABSTOP | BS_PUSHBUTTON, IDC_CHOOSER_OTHER,
                  {choose_left - 8 - choice.other_width, 266 + grow, choice.other_width, 25}, at);
  if (choice.other_button.empty()) {
    ShowWindow(other, SW_HIDE);
  }
  choose_ = MakeControl(window, "BUTTON", std::string(choice.choose_button).c_str(),
                        WS_TABSTOP | (choosing_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), IDOK,
                        {choose_left, 266 + grow, choice.choose_width, 25}, at);
  if (!choosing_) {
    ShowWindow(choose_, SW_HIDE);
  }
  const HWND cancel = MakeControl(window, "BUTTON", std::string(choice.cancel_button).c_str(),
                                  WS_TABSTOP | (choosing_ ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON),
                                  IDCANCEL, {right - 82, 266 + grow, 82, 25}, at);
  for (const HWND control : {prompt, list_, other, choose_, cancel}) {
    SetFont(control, font_);
  }
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

  // Unless the choice says otherwise, the first column takes what the others leave of the
  // list's width, and numbers line up on the right.
  const bool given = !choice.column_widths.empty();
  const int others = static_cast<int>(choice.columns.size()) - 1;
  const int other_width = 96;
  for (std::size_t column = 0; column < choice.columns.size(); ++column) {
    std::string header(choice.columns[column]);
    LVCOLUMNA added{};
    added.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    added.fmt = !given && column >= 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    added.pszText = header.data();
    const int width = given && column < choice.column_widths.size() ? choice.column_widths[column]
                      : column == 0 ? list_width - 24 - others * other_width
                                    : other_width;
    added.cx = at(width);
    SendMessageA(list_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&added));
  }
  for (std::size_t row = 0; row < choice.rows.size(); ++row) {
    for (std::size_t column = 0; column < choice.rows[row].size(); ++column) {
      std::string text = choice.rows[row][column];
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(row);
      item.iSubItem = static_cast<int>(column);
      item.pszText = text.data();
      SendMessageA(list_, column == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, column == 0 ? 0 : row,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  bool focused = false;
  for (std::size_t row = 0; row < choice.rows.size(); ++row) {
    if (!choice.Selectable(row)) {
      continue;
    }
    LVITEMA picked{};
    picked.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    picked.state = LVIS_SELECTED | (focused ? 0 : LVIS_FOCUSED);
    SendMessageA(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&picked));
    focused = true;
    if (!choice.multiple) {
      break;
    }
  }
  EnableWindow(choose_, choosing_ && !PickedRows().empty());
}

std::vector<std::size_t> ListChooser::PickedRows() const {
  std::vector<std::size_t> rows;
  for (auto row = SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
       row >= 0;
       row = SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) {
    rows.push_back(static_cast<std::size_t>(row));
  }
  return rows;
}

ui::ListAnswer ListChooser::Run() {
  if (!hwnd()) {
    return {};
  }
  if (owner_) {
    EnableWindow(owner_, FALSE);
  }
  ShowNow();
  MSG message{};
  while (!done_ && hwnd()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the outer loop must see that too.
      PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
      break;
    }
    DispatchWithDialogKeys(message);
  }
  Finish({});  // the program is ending: nothing was chosen
  return answer_;
}

void ListChooser::Finish(ui::ListAnswer answer) {
  if (done_) {
    return;
  }
  done_ = true;
  answer_ = std::move(answer);
  // The owner takes input again before this window goes, so that it gets the activation back.
  if (owner_ && IsWindow(owner_)) {
    EnableWindow(owner_, TRUE);
  }
  HideNow();
}

LRESULT ListChooser::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && !choosing_) {
        Finish({});  // the list was only to be read
      } else if (LOWORD(wparam) == IDOK) {
        if (std::vector<std::size_t> rows = PickedRows(); !rows.empty()) {
          Finish({.button = ui::ListAnswer::Button::kChoose, .rows = std::move(rows)});
        }
      } else if (LOWORD(wparam) == IDC_CHOOSER_OTHER) {
        Finish({.button = ui::ListAnswer::Button::kOther, .rows = {}});
      } else if (LOWORD(wparam) == IDCANCEL) {
        Finish({});
      }
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.hwndFrom == list_ && header.code == LVN_ITEMCHANGING) {
        // A heading is never picked, whether by a click, the keys or a select-all.
        const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lparam);
        const auto row = static_cast<std::size_t>(change.iItem);
        const bool selects =
            (change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0;
        return selects && change.iItem >= 0 && row < selectable_.size() && !selectable_[row]
                   ? TRUE
                   : FALSE;
      }
      if (header.hwndFrom == list_ && header.code == LVN_ITEMCHANGED) {
        EnableWindow(choose_, choosing_ && !PickedRows().empty());
      }
      return 0;
    }
    case WM_CLOSE:
      Finish({});
      return 0;
    default:
      break;
  }
  return FormWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
