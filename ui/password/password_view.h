// What the password change window shows: the two entry boxes.
#pragma once

#include <string>

#include "ui/common/form_view.h"

namespace ui {

class PasswordView : public FormView {
 public:
  // `txtPassword` and `txtConfirm`, as 8-bit text.
  virtual std::string PasswordText() const = 0;
  virtual std::string ConfirmText() const = 0;
  // Shows the window modally; returns once it has unloaded.
  virtual void ShowModal() = 0;
};

}  // namespace ui
