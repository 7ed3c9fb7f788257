#include "picture_box.h"

#include "controls.h"

namespace win32 {

namespace {

constexpr const char* kPictureBoxClass = "TamborelleRirAvadera.PictureBox";

LRESULT CALLBACK PictureBoxProcedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(box, &paint);
      const auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(box, GWLP_USERDATA));
      if (picture) {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ old = SelectObject(source, picture);
        const SIZE size = BitmapSize(picture);
        BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
      }
      EndPaint(box, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_COMMAND:
      // The window that owns the box decides for the controls in it.
      return SendMessageA(GetParent(box), message, wparam, lparam);
    default:
      return DefWindowProcA(box, message, wparam, lparam);
  }
}

}  // namespace

const char* PictureBoxClass() {
  RegisterClassOnce(kPictureBoxClass, PictureBoxProcedure, COLOR_WINDOW);
  return kPictureBoxClass;
}

void SetBoxPicture(HWND box, HBITMAP picture) {
  SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
  InvalidateRect(box, nullptr, TRUE);
}

HBRUSH TransparentLabelColours(HDC label_dc, COLORREF text_colour) {
  SetBkMode(label_dc, TRANSPARENT);
  SetTextColor(label_dc, text_colour);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void PutLabelBeneath(HWND label) {
  SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | WS_CLIPSIBLINGS);
  SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace win32
