#include "form_controls.h"

#include <string>

#include "control_kinds.h"
#include "controls.h"
#include "picture_box.h"

namespace win32 {

namespace {

COLORREF ToColorRef(const ui::layout::Colour& colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace

FormControls::FormControls(HWND window, const ControlTable& table, const Scale& scale,
                           const OwnStyle& own_style)
    : table_(table) {
  using ui::layout::Kind;
  const auto rows = table_.layout.controls;
  handles_.reserve(rows.size());
  back_brushes_.reserve(rows.size());
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const ui::layout::Control& control = rows[row];
    const NativeKind kind = NativeKindOf(control.kind);
    const HWND parent = control.container.empty() ? window : (*this)[control.container];
    const DWORD style =
        kind.style | (control.enabled ? 0 : WS_DISABLED) | (own_style ? own_style(control) : 0);
    const HWND made = MakeControl(parent, kind.window_class, std::string(control.caption).c_str(),
                                  style, table_.IdOfRow(row), control.rect, scale, kind.ex_style);
    handles_.push_back(made);
    back_brushes_.emplace_back(
        control.back_colour ? CreateSolidBrush(ToColorRef(*control.back_colour)) : nullptr);
    SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.font, scale)), FALSE);
    if (IsEditKind(control.kind)) {
      SendMessageA(made, EM_SETLIMITTEXT, 0, 0);  // no text box has a length limit
    }
    if (control.kind == Kind::kPasswordBox) {
      SendMessageA(made, EM_SETPASSWORDCHAR, '*', 0);
    }
    if (control.kind == Kind::kMultiLineTextBox) {
      LetTabLeave(made);
    }
    if (!control.shown) {
      ShowWindow(made, SW_HIDE);
    }
  }
  // Once all are made: a later control lies beneath an earlier one, and a label must lie
  // beneath the text box it reaches into, whichever comes first in the table.
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].kind == Kind::kLabel && !rows[row].transparent) {
      PutLabelBeneath(handles_[row]);
    }
  }
}

HFONT FormControls::FontFor(const ui::layout::Font& font, const Scale& scale) {
  for (const auto& [style, made] : fonts_) {
    if (style == font) {
      return made.get();
    }
  }
  return fonts_.emplace_back(font, MakeFont(font, scale)).second.get();
}

HWND FormControls::FirstFocus() const {
  const auto rows = table_.layout.controls;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (ui::layout::TakesFocus(rows[row].kind) && rows[row].shown &&
        IsWindowEnabled(handles_[row])) {
      return handles_[row];
    }
  }
  return nullptr;
}

const ui::layout::Control* FormControls::RowOf(HWND control) const {
  const auto row = table_.RowOfId(GetDlgCtrlID(control));
  return row && handles_[*row] == control ? &table_.layout.controls[*row] : nullptr;
}

std::optional<HBRUSH> FormControls::Colours(HWND control, HDC dc) const {
  const ui::layout::Control* row = RowOf(control);
  if (!row || (!row->text_colour && !row->back_colour && !row->transparent)) {
    return std::nullopt;
  }
  const COLORREF text =
      row->text_colour ? ToColorRef(*row->text_colour) : GetSysColor(COLOR_WINDOWTEXT);
  if (row->transparent) {
    return TransparentLabelColours(dc, text);
  }
  SetTextColor(dc, text);
  if (row->back_colour) {
    SetBkColor(dc, ToColorRef(*row->back_colour));
    return back_brushes_[static_cast<std::size_t>(row - table_.layout.controls.data())].get();
  }
  // The system's background: the window colour in a text box, the button face elsewhere.
  const int background = IsEditKind(row->kind) ? COLOR_WINDOW : COLOR_BTNFACE;
  SetBkColor(dc, GetSysColor(background));
  return GetSysColorBrush(background);
}

}  // namespace win32
