// The login window's logic: one attempt at the password, then the window unloads.
#pragma once

#include <cstdint>
#include <optional>

#include "rir/error.h"
#include "ui/common/forms.h"
#include "ui/common/platform_services.h"
#include "ui/login/login_view.h"

namespace ui {

class frmLogin {
 public:
  frmLogin(LoginView& view, Forms& forms, PlatformServices& services);
  frmLogin(const frmLogin&) = delete;
  frmLogin& operator=(const frmLogin&) = delete;

  LoginView& view() { return view_; }

  void Form_Load();
  // Where the login window stands in for a missing notification icon, closing it is the only
  // close left to the user: it ends the program as Exit does, and is refused when Exit is.
  void Form_QueryUnload(bool& Cancel, UnloadMode mode);
  void cmdLogin_Click();
  void txtPassword_KeyDown(std::int16_t KeyCode, std::int16_t Shift);

 private:
  LoginView& view_;
  Forms& forms_;
  PlatformServices& services_;
  StoredPassword m_strPassword;  // the stored value, read once at load
  std::optional<rir::Error> m_readFailure;
};

}  // namespace ui
