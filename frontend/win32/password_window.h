// The password change window, frmPassword, as a native window shown modally over the main
// window.
#pragma once

#include <windows.h>

#include "controls.h"
#include "form_window.h"
#include "gdi.h"
#include "ui/common/forms.h"
#include "ui/password/password_view.h"

namespace win32 {

class PasswordWindow final : public Form<ui::PasswordView> {
 public:
  // `owner`: the main window, which takes no input while this window is open.
  PasswordWindow(ui::Forms& forms, HWND owner, const Scale& scale);
  ~PasswordWindow() override;

  std::string PasswordText() const override;
  std::string ConfirmText() const override;
  void ShowModal() override;
  void Unload() override;

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void EndModal();

  ui::Forms& forms_;
  HWND owner_;
  bool modal_ = false;

  HWND password_ = nullptr;
  HWND confirm_ = nullptr;
};

}  // namespace win32
