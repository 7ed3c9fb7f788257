#include "controls.h"

#include <commctrl.h>

#include <vector>

#include "resource.h"

namespace win32 {

Scale SystemScale() {
  const HDC screen = GetDC(nullptr);
  Scale scale{GetDeviceCaps(screen, LOGPIXELSX)};
  ReleaseDC(nullptr, screen);
  return scale;
}

Font MakeFont(const ui::layout::Font& font, const Scale& scale) {
  const std::string face(font.face);
  return Font(CreateFontA(scale.FontHeight(font.centipoints), 0, 0, 0,
                          font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

void RegisterClassOnce(const char* class_name, WNDPROC procedure, int background_colour) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(GetModuleHandleA(nullptr), class_name, &existing)) {
    return;
  }
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow
  window_class.hbrBackground =
      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background_colour + 1));
  window_class.lpszClassName = class_name;
  RegisterClassExA(&window_class);
}

HWND MakeControl(HWND parent, const char* window_class, const char* text, DWORD style, int id,
                 const ui::layout::Rect& rect, const Scale& scale, DWORD ex_style) {
  // Edges are scaled rather than sizes, so that controls that meet at 96 DPI meet at any DPI.
  const int left = scale(rect.left);
  const int top = scale(rect.top);
  return CreateWindowExA(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, left, top,
                         scale(rect.right()) - left, scale(rect.bottom()) - top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetText(HWND window, std::string_view text) {
  SetWindowTextA(window, std::string(text).c_str());
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

namespace {

// A 24-bit top-down DIB section of the given size; `bits` receives its pixels.
Bitmap MakeDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return Bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

void ReplaceColour(void* bits, SIZE size, COLORREF from, COLORREF to) {
  auto* row = static_cast<BYTE*>(bits);
  const std::size_t stride = (static_cast<std::size_t>(size.cx) * 3 + 3) & ~std::size_t{3};
  for (LONG y = 0; y < size.cy; ++y, row += stride) {
    for (LONG x = 0; x < size.cx; ++x) {
      BYTE* pixel = row + static_cast<std::size_t>(x) * 3;  // blue, green, red
      if (RGB(pixel[2], pixel[1], pixel[0]) == from) {
        pixel[0] = GetBValue(to);
        pixel[1] = GetGValue(to);
        pixel[2] = GetRValue(to);
      }
    }
  }
}

}  // namespace

Bitmap LoadPicture(int id, const Scale& scale, std::optional<COLORREF> face_key) {
  Bitmap original(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!original) {
    return original;
  }
  const SIZE from = BitmapSize(original.get());
  const SIZE to{scale(from.cx), scale(from.cy)};
  void* bits = nullptr;
  Bitmap copy = MakeDib(to.cx, to.cy, &bits);
  if (!copy) {
    return original;
  }
  const HDC source = CreateCompatibleDC(nullptr);
  const HDC target = CreateCompatibleDC(nullptr);
  const HGDIOBJ old_source = SelectObject(source, original.get());
  const HGDIOBJ old_target = SelectObject(target, copy.get());
  SetStretchBltMode(target, HALFTONE);
  SetBrushOrgEx(target, 0, 0, nullptr);
  StretchBlt(target, 0, 0, to.cx, to.cy, source, 0, 0, from.cx, from.cy, SRCCOPY);
  SelectObject(source, old_source);
  SelectObject(target, old_target);
  DeleteDC(source);
  DeleteDC(target);
  GdiFlush();
  if (face_key) {
    ReplaceColour(bits, to, *face_key, GetSysColor(COLOR_BTNFACE));
  }
  return copy;
}

Icon LoadProgramIcon(int size) {
  return Icon(
      static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM),
                                    IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

namespace {

constexpr UINT_PTR kKeyDownSubclass = 1;
constexpr UINT_PTR kTabLeavesSubclass = 2;
constexpr UINT_PTR kPasteLinesSubclass = 3;

std::int16_t ShiftState() {
  std::int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0)
    shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0)
    shift |= 2;
  if (GetKeyState(VK_MENU) < 0)
    shift |= 4;
  return shift;
}

LRESULT CALLBACK KeyDownSubclass(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                 UINT_PTR /*id*/, DWORD_PTR data) {
  switch (message) {
    case WM_GETDLGCODE:
      // Enter belongs to the box, not to the dialog keys.
      if (lparam && reinterpret_cast<const MSG*>(lparam)->message == WM_KEYDOWN &&
          reinterpret_cast<const MSG*>(lparam)->wParam == VK_RETURN) {
        return DLGC_WANTMESSAGE | DefSubclassProc(edit, message, wparam, lparam);
      }
      break;
    case WM_KEYDOWN: {
      const auto& handler = *reinterpret_cast<const KeyDownHandler*>(data);
      handler(static_cast<std::int16_t>(wparam), ShiftState());
      if (!IsWindow(edit)) {
        return 0;  // the handler closed the window
      }
      break;
    }
    case WM_CHAR:
      if (wparam == '\r') {
        return 0;  // a single-line box would only beep
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, KeyDownSubclass, kKeyDownSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wparam, lparam);
}

LRESULT CALLBACK TabLeavesSubclass(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  if (message == WM_GETDLGCODE) {
    const auto* key = reinterpret_cast<const MSG*>(lparam);
    const LRESULT wanted = DefSubclassProc(edit, message, wparam, lparam);
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_TAB) {
      return wanted & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    }
    return wanted;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(edit, TabLeavesSubclass, kTabLeavesSubclass);
  }
  return DefSubclassProc(edit, message, wparam, lparam);
}

// The clipboard's text, if it holds any.
std::optional<std::wstring> ClipboardText(HWND owner) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) {
    return std::nullopt;
  }
  std::optional<std::wstring> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.emplace(chars);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

LRESULT CALLBACK PasteLinesSubclass(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  if (message == WM_PASTE && !(GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY)) {
    if (const std::optional<std::wstring> text = ClipboardText(edit)) {
      const std::wstring line = LineEndsAsBlanks(*text);
      // Sent as UTF-16: the box turns it into its own text, and the paste can be undone.
      SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
      return 0;
    }
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(edit, PasteLinesSubclass, kPasteLinesSubclass);
  }
  return DefSubclassProc(edit, message, wparam, lparam);
}

}  // namespace

std::wstring LineEndsAsBlanks(std::wstring_view text) {
  std::wstring line;
  line.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == L'\r' || text[at] == L'\n') {
      if (text[at] == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n') {
        ++at;
      }
      line += L' ';
    } else {
      line += text[at];
    }
  }
  return line;
}

void PasteLinesAsBlanks(HWND edit) {
  SetWindowSubclass(edit, PasteLinesSubclass, kPasteLinesSubclass, 0);
}

void LetTabLeave(HWND edit) {
  SetWindowSubclass(edit, TabLeavesSubclass, kTabLeavesSubclass, 0);
}

void ForwardKeyDown(HWND edit, const KeyDownHandler& on_key_down) {
  SetWindowSubclass(edit, KeyDownSubclass, kKeyDownSubclass,
                    reinterpret_cast<DWORD_PTR>(&on_key_down));
}

}  // namespace win32
