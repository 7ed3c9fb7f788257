// The login window, frmLogin, as a native window: the banner with its labels, the password box
// and the Login button.
#pragma once

#include <windows.h>

#include "controls.h"
#include "form_window.h"
#include "gdi.h"
#include "ui/common/forms.h"
#include "ui/login/login_view.h"

namespace win32 {

class LoginWindow final : public Form<ui::LoginView> {
 public:
  LoginWindow(ui::Forms& forms, const Scale& scale);
  ~LoginWindow() override;

  std::string PasswordText() const override;

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void PaintBanner(HDC dc);

  ui::Forms& forms_;
  Bitmap banner_;
  Brush banner_brush_;
  KeyDownHandler password_key_down_;
  HWND password_ = nullptr;
};

}  // namespace win32
