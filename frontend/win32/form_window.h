// A top-level window of the program: made hidden and centred with the exact client size of its
// layout table, with the table's controls, shown, hidden, minimised and destroyed for its logic,
// with each message handed to the subclass.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "control_table.h"
#include "form_controls.h"
#include "gdi.h"
#include "scale.h"
#include "ui/common/form_view.h"

namespace win32 {

class FormWindow {
 public:
  struct Description {
    const char* class_name;
    std::string_view caption;
    int client_width;  // at 96 DPI
    int client_height;
    HMENU menu = nullptr;
    HWND owner = nullptr;
    bool clip_children = true;
  };
  // A window of a layout table, whose caption, client size and controls come from the table.
  struct TableDescription {
    const char* class_name;
    const ControlTable& table;
    HMENU menu = nullptr;
    HWND owner = nullptr;
    bool clip_children = true;
  };

  // Every window of the program shows the program's icon.
  explicit FormWindow(const Scale& scale);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  virtual ~FormWindow();

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
  // Makes the window as Create does, then the controls of its table; false when the window
  // could not be made.
  bool CreateFromTable(const TableDescription& description,
                       const FormControls::OwnStyle& own_style = {});
  // Colours the controls that the table gives colours; a subclass passes on what it does not
  // handle itself.
  virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The control that holds the focus when the window is first activated: for a window of a
  // table, the first control that the Tab key stops at.
  virtual HWND FirstFocus() const { return controls_ ? controls_->FirstFocus() : nullptr; }

  // A control of the table by its name; the window must have been made from a table.
  HWND Control(std::string_view name) const { return (*controls_)[name]; }

  // True while the program itself changes the window, or destroys it: such changes are not
  // events of the window.
  bool quiet() const { return quiet_ > 0 || destroying_; }
  class Quietly {
   public:
    explicit Quietly(FormWindow& window) : window_(window) { ++window_.quiet_; }
    Quietly(const Quietly&) = delete;
    Quietly& operator=(const Quietly&) = delete;
    ~Quietly() { --window_.quiet_; }

   private:
    FormWindow& window_;
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
  std::optional<FormControls> controls_;
};

// A view of the window logic carried by a FormWindow.
template <class View>
class Form : public View, protected FormWindow {
 public:
  explicit Form(const Scale& scale) : FormWindow(scale) {}

  ui::WindowState GetWindowState() const override { return State(); }
  void SetWindowState(ui::WindowState state) override { SetState(state); }
  bool IsVisible() const override { return Visible(); }
  void Show() override { ShowNow(); }
  void Hide() override { HideNow(); }
  void Refresh() override { Repaint(); }
  ui::WindowHandle hWnd() const override { return reinterpret_cast<ui::WindowHandle>(hwnd()); }
  void Unload() override { Destroy(); }
};

// The keys of `window`'s menus (a table of the program's resources): pressed anywhere in it,
// each sends its command as the menu item does.
void SetAccelerators(HWND window, HACCEL keys);
// Hands a message to its window's menu keys, to the dialog keys (Tab moves the focus), or
// dispatches it.
void DispatchWithDialogKeys(MSG& message);
// Runs the program's messages until it ends; gives back the exit code.
int RunMessageLoop();

}  // namespace win32
