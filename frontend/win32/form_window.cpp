#include "form_window.h"

#include <exception>
#include <string>

#include "controls.h"

namespace win32 {

namespace {

constexpr DWORD kFixedWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// Where a window keeps its menu keys, for the message loop to find.
constexpr const char* kAcceleratorsProperty = "RirAvadera.Accelerators";

}  // namespace

FormWindow::~FormWindow() {
  Destroy();
}

FormWindow::FormWindow(const Scale& scale)
    : scale_(scale),
      big_icon_(LoadProgramIcon(scale(32))),
      small_icon_(LoadProgramIcon(GetSystemMetrics(SM_CXSMICON))) {}

void FormWindow::Create(const Description& description) {
  RegisterClassOnce(description.class_name, &FormWindow::Procedure, COLOR_BTNFACE);
  const DWORD style = kFixedWindowStyle | (description.clip_children ? WS_CLIPCHILDREN : 0);
  const int width = scale_(description.client_width);
  const int height = scale_(description.client_height);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, description.menu != nullptr, 0);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int outer_width = frame.right - frame.left;
  const int outer_height = frame.bottom - frame.top;
  CreateWindowExA(0, description.class_name, std::string(description.caption).c_str(), style,
                  work.left + (work.right - work.left - outer_width) / 2,
                  work.top + (work.bottom - work.top - outer_height) / 2, outer_width, outer_height,
                  description.owner, description.menu, GetModuleHandleA(nullptr), this);
  if (!hwnd_) {
    return;
  }
  // A menu bar that wraps takes more room than AdjustWindowRectEx knows of.
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (client.bottom != height || client.right != width) {
    RECT window{};
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + width - client.right,
                 window.bottom - window.top + height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
}

bool FormWindow::CreateFromTable(const TableDescription& description,
                                 const FormControls::OwnStyle& own_style) {
  const ui::layout::FormLayout& layout = description.table.layout;
  Create({.class_name = description.class_name,
          .caption = layout.caption,
          .client_width = layout.client_width,
          .client_height = layout.client_height,
          .menu = description.menu,
          .owner = description.owner,
          .clip_children = description.clip_children});
  if (!hwnd_) {
    return false;
  }
  controls_.emplace(hwnd_, description.table, scale_, own_style);
  return true;
}

void FormWindow::SetState(ui::WindowState state) {
  state_ = state;
  if (!Visible()) {
    return;  // takes effect when the window is shown
  }
  Quietly quietly(*this);
  ShowWindow(hwnd_, state == ui::WindowState::kMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void FormWindow::ShowNow() {
  if (!hwnd_) {
    return;
  }
  Quietly quietly(*this);
  if (state_ == ui::WindowState::kMinimized) {
    ShowWindow(hwnd_, SW_SHOWMINIMIZED);
  } else {
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  }
}

void FormWindow::HideNow() {
  if (hwnd_) {
    Quietly quietly(*this);
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void FormWindow::Repaint() {
  if (hwnd_) {
    RedrawWindow(hwnd_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

void FormWindow::Destroy() {
  destroying_ = true;
  if (hwnd_) {
    DestroyWindow(hwnd_);
  }
}

LRESULT FormWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) {
          focus_ = focus;
        }
      } else {
        // The focus comes back to where it was when the window was left.
        const HWND focus = focus_ && IsWindow(focus_) ? focus_ : FirstFocus();
        if (focus) {
          SetFocus(focus);
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (controls_) {
        if (const auto brush =
                controls_->Colours(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam))) {
          return reinterpret_cast<LRESULT>(*brush);
        }
      }
      break;
    case WM_SIZE:
      if (!quiet()) {
        if (wparam == SIZE_MINIMIZED) {
          state_ = ui::WindowState::kMinimized;
        } else if (wparam == SIZE_RESTORED) {
          state_ = ui::WindowState::kNormal;
        }
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) {
    return DefWindowProcA(window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    RemovePropA(window, kAcceleratorsProperty);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(window, message, wparam, lparam);
  }
  // No exception may unwind through the system's code that called us.
  try {
    return self->OnMessage(message, wparam, lparam);
  } catch (const std::exception& failure) {
    const std::string text =
        std::string("The program could not finish this step:\n\n") + failure.what();
    MessageBoxA(window, text.c_str(), "Tamborelle Rir Avadera", MB_OK | MB_ICONERROR);
    return 0;
  }
}

void SetAccelerators(HWND window, HACCEL keys) {
  SetPropA(window, kAcceleratorsProperty, keys);
}

void DispatchWithDialogKeys(MSG& message) {
  const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root) {
    const auto keys = static_cast<HACCEL>(GetPropA(root, kAcceleratorsProperty));
    if (keys && TranslateAcceleratorA(root, keys, &message)) {
      return;
    }
  }
  if (root && IsDialogMessageA(root, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

int RunMessageLoop() {
  MSG message{};
  BOOL got = 0;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    DispatchWithDialogKeys(message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace win32
