// What the login window shows: the password box.
#pragma once

#include <string>

#include "ui/common/form_view.h"

namespace ui {

class LoginView : public FormView {
 public:
  // `txtPassword`, as 8-bit text.
  virtual std::string PasswordText() const = 0;
};

}  // namespace ui
