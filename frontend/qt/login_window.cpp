#include "login_window.h"

#include "text.h"
#include "ui/login/login_form.h"
#include "ui/login/login_layout.h"

namespace qtfront {

LoginWindow::LoginWindow(ui::Forms& forms)
    : Form<ui::LoginView>(ui::kLoginLayout),
      forms_(forms),
      banner_(&client()),
      password_keys_([this](std::int16_t key_code, std::int16_t shift) {
        Raise([&](ui::frmLogin& form) { form.txtPassword_KeyDown(key_code, shift); });
      }),
      password_(Control<QLineEdit>("txtPassword")) {
  // The banner fills the client area from its top left corner; its right end is cut off.
  banner_.setGeometry(client().rect());
  banner_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  banner_.setPixmap(QPixmap(QStringLiteral(":/assets/banner-login.png")));
  banner_.lower();

  QObject::connect(&Control<QPushButton>("cmdLogin"), &QPushButton::clicked, &window(),
                   [this] { Raise([](ui::frmLogin& form) { form.cmdLogin_Click(); }); });
  password_keys_.Watch(password_);
  window().OnCloseRequest(
      [this] { forms_.Unload(ui::FormId::kLogin, ui::UnloadMode::kControlMenu); });
}

template <class Handler>
void LoginWindow::Raise(Handler handler) {
  if (!window().quiet() && forms_.IsLoaded(ui::FormId::kLogin)) {
    handler(forms_.Login());
  }
}

std::string LoginWindow::PasswordText() const {
  return FromQt(password_.text());
}

}  // namespace qtfront
