#include "picture_box.h"

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

HWND MakePictureBox(HWND parent, int id, HBITMAP picture, const Layout& layout,
                    const Scale& scale) {
  RegisterClassOnce(kPictureBoxClass, PictureBoxProcedure, COLOR_WINDOW);
  const HWND box =
      MakeControl(parent, kPictureBoxClass, "", WS_BORDER | WS_TABSTOP, id, layout, scale);
  SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
  return box;
}

HBRUSH TransparentLabelColours(HDC label_dc, COLORREF text_colour) {
  SetBkMode(label_dc, TRANSPARENT);
  SetTextColor(label_dc, text_colour);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void PutLabelsBeneath(std::initializer_list<HWND> labels) {
  for (const HWND label : labels) {
    SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

}  // namespace win32
