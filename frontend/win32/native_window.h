// A top-level window of the program: made hidden and centred with an exact client size, shown,
// hidden, minimised and destroyed for its logic, with each message handed to the subclass.
#pragma once

#include <windows.h>

#include "gdi.h"
#include "scale.h"
#include "ui/common/form_view.h"

namespace win32 {

class NativeWindow {
 public:
  struct Description {
    const char* class_name;
    const char* caption;
    int client_width;  // at 96 DPI
    int client_height;
    HMENU menu = nullptr;
    HWND owner = nullptr;
    bool clip_children = true;
  };

  // Every window of the program shows the program's icon.
  explicit NativeWindow(const Scale& scale);
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;
  virtual ~NativeWindow();

  HWND hwnd() const { return hwnd_; }
  const Scale& scale() const { return scale_; }
  HICON small_icon() const { return small_icon_.get(); }

  ui::WindowState State() const { return state_; }
  void SetState(ui::WindowState state);
  bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  void ShowNow();
  void HideNow();
  void Repaint();
  void Destroy();

 protected:
  // Makes the window, hidden and centred on the work area. Call from the subclass's
  // constructor: messages reach its OnMessage from then on. The subclass's destructor calls
  // Destroy, so that no message of the window's end reaches a half-destroyed object.
  void Create(const Description& description);
  virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The control that holds the focus when the window is first activated.
  virtual HWND FirstFocus() const { return nullptr; }

  // True while the program itself changes the window, or destroys it: such changes are not
  // events of the window.
  bool quiet() const { return quiet_ > 0 || destroying_; }
  class Quietly {
   public:
    explicit Quietly(NativeWindow& window) : window_(window) { ++window_.quiet_; }
    Quietly(const Quietly&) = delete;
    Quietly& operator=(const Quietly&) = delete;
    ~Quietly() { --window_.quiet_; }

   private:
    NativeWindow& window_;
  };

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  Scale scale_;
  Icon big_icon_;
  Icon small_icon_;
  HWND hwnd_ = nullptr;
  ui::WindowState state_ = ui::WindowState::kNormal;
  int quiet_ = 0;
  bool destroying_ = false;
  HWND focus_ = nullptr;  // the control that had the focus when the window was last left
};

// A view of the window logic carried by a native window.
template <class View>
class Form : public View, protected NativeWindow {
 public:
  explicit Form(const Scale& scale) : NativeWindow(scale) {}

  ui::WindowState GetWindowState() const override { return State(); }
  void SetWindowState(ui::WindowState state) override { SetState(state); }
  bool IsVisible() const override { return Visible(); }
  void Show() override { ShowNow(); }
  void Hide() override { HideNow(); }
  void Refresh() override { Repaint(); }
  ui::WindowHandle hWnd() const override { return reinterpret_cast<ui::WindowHandle>(hwnd()); }
  void Unload() override { Destroy(); }
};

// Hands a message to the dialog keys (Tab moves the focus) of its window, or dispatches it.
void DispatchWithDialogKeys(MSG& message);
// Runs the program's messages until it ends; gives back the exit code.
int RunMessageLoop();

}  // namespace win32
