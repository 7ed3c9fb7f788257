// The password change window's logic: two entries, stored when they match, then the window
// unloads whatever the outcome.
#pragma once

#include <string>

#include "ui/common/forms.h"
#include "ui/common/platform_services.h"
#include "ui/password/password_view.h"

namespace ui {

class frmPassword {
 public:
  frmPassword(PasswordView& view, Forms& forms, PlatformServices& services);
  frmPassword(const frmPassword&) = delete;
  frmPassword& operator=(const frmPassword&) = delete;

  PasswordView& view() { return view_; }

  void cmdSavePassword_Click();

 private:
  PasswordView& view_;
  Forms& forms_;
  PlatformServices& services_;
  std::string m_strPassword;
};

}  // namespace ui
