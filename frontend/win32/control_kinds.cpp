#include "control_kinds.h"

#include <commctrl.h>

#include "picture_box.h"

namespace win32 {

NativeKind NativeKindOf(ui::layout::Kind kind) {
  using ui::layout::Kind;
  switch (kind) {
    case Kind::kPushButton:
      return {"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case Kind::kTextBox:
      return {"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Kind::kPasswordBox:
      return {"EDIT", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Kind::kMultiLineTextBox:
      // No WS_VSCROLL: the box has no scroll bars.
      return {"EDIT", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE};
    case Kind::kLabel:
      return {"STATIC", SS_LEFT, 0};
    case Kind::kPictureButton:
      return {"STATIC", SS_BITMAP | SS_NOTIFY | SS_REALSIZECONTROL, 0};
    case Kind::kPictureBox:
      return {PictureBoxClass(), WS_BORDER | WS_TABSTOP, 0};
    case Kind::kListView:
      return {WC_LISTVIEWA, WS_TABSTOP | LVS_REPORT, WS_EX_CLIENTEDGE};
    case Kind::kStatusBar:
      // Placed by the table like any control, not by the status bar itself.
      return {STATUSCLASSNAMEA, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
    case Kind::kCheckBox:
      return {"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
  }
  return {"STATIC", 0, 0};
}

bool IsEditKind(ui::layout::Kind kind) {
  using ui::layout::Kind;
  return kind == Kind::kTextBox || kind == Kind::kPasswordBox || kind == Kind::kMultiLineTextBox;
}

}  // namespace win32
