// The lock window, frmLock, as a native window shown modally over the main window: the length
// box, the end it gives, the box for time off, and Lock and Cancel.
#pragma once

#include <windows.h>

#include "form_window.h"
#include "ui/common/forms.h"
#include "ui/lock/lock_view.h"

namespace win32 {

class LockWindow final : public Form<ui::LockView> {
 public:
  // `owner`: the main window, which takes no input while this window is open.
  LockWindow(ui::Forms& forms, HWND owner, const Scale& scale);
  ~LockWindow() override;

  std::string LengthText() const override;
  bool CountOnlyOn() const override;
  void SetEndsText(std::string_view text) override;
  void ShowModal() override;
  void Unload() override;

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code);
  template <class Handler>
  void Raise(Handler handler);
  void EndModal();
  void ShowDefaultButton();

  ui::Forms& forms_;
  HWND owner_;
  bool modal_ = false;

  HWND length_ = nullptr;
  HWND ends_ = nullptr;
  HWND count_only_on_ = nullptr;
  HWND lock_ = nullptr;
  HWND cancel_ = nullptr;
};

}  // namespace win32
