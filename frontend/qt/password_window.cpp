#include "password_window.h"

#include <QWindow>

#include "controls.h"
#include "text.h"
#include "ui/password/password_form.h"

namespace qtfront {

PasswordWindow::PasswordWindow(ui::Forms& forms, QWidget* owner)
    : QtForm<ui::PasswordView>(
          {.caption = QStringLiteral("Change Password"), .client_size = {337, 113}}),
      forms_(forms),
      label1_(QStringLiteral("Password:"), &client()),
      label2_(QStringLiteral("Confirm:"), &client()),
      password_(&client()),
      confirm_(&client()),
      save_(QStringLiteral("OK"), &client()) {
  // Made first, the labels lie beneath the boxes they reach into.
  PlaceLabel(Named(label1_, "Label1"), {8, 24, 89, 17});
  PlaceLabel(Named(label2_, "Label2"), {8, 56, 89, 17});
  Named(password_, "txtPassword").setGeometry(72, 16, 257, 25);
  Named(confirm_, "txtConfirm").setGeometry(72, 48, 257, 25);
  PlaceButton(Named(save_, "cmdSavePassword"), {232, 80, 97, 25});
  MakePasswordBox(password_);
  MakePasswordBox(confirm_);
  QWidget::setTabOrder(&password_, &confirm_);
  QWidget::setTabOrder(&confirm_, &save_);
  password_.setFocus();

  FormWidget& form = window();
  if (owner) {
    // Modal to the main window only: the login window stays usable.
    form.winId();
    form.windowHandle()->setTransientParent(owner->windowHandle());
    form.setWindowModality(Qt::WindowModal);
  }
  QObject::connect(&save_, &QPushButton::clicked, &form, [this] {
    if (!window().quiet() && forms_.IsLoaded(ui::FormId::kPassword)) {
      forms_.Password().cmdSavePassword_Click();
    }
  });
  form.OnCloseRequest(
      [this] { forms_.Unload(ui::FormId::kPassword, ui::UnloadMode::kControlMenu); });
}

std::string PasswordWindow::PasswordText() const {
  return FromQt(password_.text());
}

std::string PasswordWindow::ConfirmText() const {
  return FromQt(confirm_.text());
}

void PasswordWindow::ShowModal() {
  if (window().unloaded()) {
    return;
  }
  if (!window().windowHandle() || !window().windowHandle()->transientParent()) {
    window().setWindowModality(Qt::ApplicationModal);
  }
  Show();
  QEventLoop loop;
  modal_loop_ = &loop;
  loop.exec();
  modal_loop_ = nullptr;
}

void PasswordWindow::Unload() {
  QtForm<ui::PasswordView>::Unload();
  if (modal_loop_) {
    modal_loop_->quit();
  }
}

}  // namespace qtfront
