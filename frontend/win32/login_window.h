// The login window, frmLogin, as a native window: the banner with its labels, the password box
// and the Login button.
#pragma once

#include <windows.h>

#include "controls.h"
#include "gdi.h"
#include "native_window.h"
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
  HWND FirstFocus() const override { return password_; }
  void MakeControls();
  void PaintBanner(HDC dc);

  ui::Forms& forms_;
  Font default_font_;
  Font large_font_;
  Bitmap banner_;
  Brush banner_brush_;
  KeyDownHandler password_key_down_;

  HWND label1_ = nullptr;
  HWND label2_ = nullptr;
  HWND label3_ = nullptr;
  HWND password_ = nullptr;
  HWND label4_ = nullptr;
  HWND login_ = nullptr;
};

}  // namespace win32
