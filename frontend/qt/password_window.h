// The password change window, frmPassword, in Qt: two password boxes and OK, shown modally over
// the main window.
#pragma once

#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>

#include "form.h"
#include "ui/common/forms.h"
#include "ui/password/password_view.h"

namespace qtfront {

class PasswordWindow final : public Form<ui::PasswordView> {
 public:
  // `owner`: the main window, which takes no input while this one is open; may be null.
  PasswordWindow(ui::Forms& forms, QWidget* owner);

  std::string PasswordText() const override;
  std::string ConfirmText() const override;
  void ShowModal() override;
  void Unload() override;

 private:
  ui::Forms& forms_;
  QLineEdit& password_;
  QLineEdit& confirm_;
  QEventLoop* modal_loop_ = nullptr;  // while ShowModal waits
};

}  // namespace qtfront
