// What every window of the program offers its logic, whatever toolkit draws it.
#pragma once

#include <cstdint>

namespace ui {

// The window state as the close decision reads it: minimised exactly while the main window sits
// in the notification area.
enum class WindowState : std::int16_t { kNormal = 0, kMinimized = 1 };

// A native window handle (HWND on Windows), only passed back to the platform.
using WindowHandle = std::uintptr_t;

// The key code of Enter in a key-down event.
inline constexpr std::int16_t kKeyEnter = 13;

// A loaded window. The view makes its native window when it is created and destroys it in
// Unload; events reach the logic only in between. Changes made here by the logic raise no event
// of the window (the logic runs the matching handler itself where one exists).
class FormView {
 public:
  virtual ~FormView() = default;

  virtual WindowState GetWindowState() const = 0;
  virtual void SetWindowState(WindowState state) = 0;
  virtual bool IsVisible() const = 0;
  // Shows the window, not modally.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Repaints the window at once.
  virtual void Refresh() = 0;
  virtual WindowHandle hWnd() const = 0;
  // Destroys the native window; the view object itself may live on until the window is next
  // loaded, so a handler on the stack can return through it.
  virtual void Unload() = 0;
};

}  // namespace ui
