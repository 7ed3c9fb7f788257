// The login window, frmLogin, in Qt: the banner with its transparent labels, the password box
// and the Login button.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "key_down.h"
#include "qt_form.h"
#include "ui/common/forms.h"
#include "ui/login/login_view.h"

namespace qtfront {

class LoginWindow final : public QtForm<ui::LoginView> {
 public:
  explicit LoginWindow(ui::Forms& forms);

  std::string PasswordText() const override;

 private:
  template <class Handler>
  void Raise(Handler handler);

  ui::Forms& forms_;
  QLabel banner_;
  QLabel label1_;
  QLabel label2_;
  QLabel label3_;
  QLineEdit password_;
  QLabel label4_;
  QPushButton login_;
  KeyDownFilter password_keys_;
};

}  // namespace qtfront
