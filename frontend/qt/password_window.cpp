#include "password_window.h"

#include <QWindow>

#include "text.h"
#include "ui/password/password_form.h"
#include "ui/password/password_layout.h"

namespace qtfront {

PasswordWindow::PasswordWindow(ui::Forms& forms, QWidget* owner)
    : Form<ui::PasswordView>(ui::kPasswordLayout),
      forms_(forms),
      password_(Control<QLineEdit>("txtPassword")),
      confirm_(Control<QLineEdit>("txtConfirm")) {
  FormWindow& form = window();
  if (owner) {
    // Modal to the main window only: the login window stays usable.
    form.winId();
    form.windowHandle()->setTransientParent(owner->windowHandle());
    form.setWindowModality(Qt::WindowModal);
  }
  QObject::connect(&Control<QPushButton>("cmdSavePassword"), &QPushButton::clicked, &form, [this] {
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
  Form<ui::PasswordView>::Unload();
  if (modal_loop_) {
    modal_loop_->quit();
  }
}

}  // namespace qtfront
