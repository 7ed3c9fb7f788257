// What each kind of control of the layout tables is as a Win32 control: its window class and
// styles. What only one window's control needs (the list's owner data) the window adds itself.
#pragma once

#include <windows.h>

#include "ui/common/layout.h"

namespace win32 {

struct NativeKind {
  const char* window_class;
  DWORD style;  // besides WS_CHILD and WS_VISIBLE
  DWORD ex_style;
};

NativeKind NativeKindOf(ui::layout::Kind kind);

// Whether a control of this kind is an edit box, whose colours are asked for with
// WM_CTLCOLOREDIT and drawn on the window colour.
bool IsEditKind(ui::layout::Kind kind);

}  // namespace win32
