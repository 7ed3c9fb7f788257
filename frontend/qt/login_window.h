// The login window, frmLogin, in Qt: the banner with its transparent labels, the password box
// and the Login button.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "form.h"
#include "key_down.h"
#include "ui/common/forms.h"
#include "ui/login/login_view.h"

namespace qtfront {

class LoginWindow final : public Form<ui::LoginView> {
 public:
  explicit LoginWindow(ui::Forms& forms);

  std::string PasswordText() const override;

 private:
  template <class Handler>
  void Raise(Handler handler);

  ui::Forms& forms_;
  QLabel banner_;  // beneath the labels
  KeyDownFilter password_keys_;
  QLineEdit& password_;
};

}  // namespace qtfront
