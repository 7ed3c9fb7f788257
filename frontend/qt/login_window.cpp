#include "login_window.h"

#include "controls.h"
#include "text.h"
#include "ui/login/login_form.h"

namespace qtfront {

LoginWindow::LoginWindow(ui::Forms& forms)
    : QtForm<ui::LoginView>({.caption = QStringLiteral("Login"), .client_size = {406, 111}}),
      forms_(forms),
      banner_(&client()),
      label1_(QStringLiteral("Tamborelle"), &client()),
      label2_(QStringLiteral("Web"), &client()),
      label3_(QStringLiteral("Durezur"), &client()),
      password_(&client()),
      label4_(QStringLiteral("Password:"), &client()),
      login_(QStringLiteral("Login"), &client()),
      password_keys_([this](std::int16_t key_code, std::int16_t shift) {
        Raise([&](ui::frmLogin& form) { form.txtPassword_KeyDown(key_code, shift); });
      }) {
  // The banner fills the client area from its top left corner; its right end is cut off.
  banner_.setGeometry(0, 0, 449, 111);
  banner_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  banner_.setPixmap(QPixmap(QStringLiteral(":/assets/banner-login.png")));

  const QColor white(255, 255, 255);
  const QFont large = ProgramFont(QStringLiteral("MS Sans Serif"), 12, true);
  PlaceLabel(Named(label1_, "Label1"), {96, 8, 241, 25});
  PlaceLabel(Named(label2_, "Label2"), {104, 16, 41, 41}).setFont(large);
  PlaceLabel(Named(label3_, "Label3"), {144, 16, 97, 41}).setFont(large);
  PlaceLabel(Named(label4_, "Label4"), {112, 56, 81, 25});
  for (QLabel* label : {&label1_, &label3_, &label4_}) {
    SetColour(*label, QPalette::WindowText, white);
  }
  SetColour(label2_, QPalette::WindowText, QColor(0, 255, 0));
  Named(password_, "txtPassword").setGeometry(168, 48, 233, 25);
  MakePasswordBox(password_);
  PlaceButton(Named(login_, "cmdLogin"), {328, 80, 73, 25});
  // The labels lie on the banner, "Password:" beneath the box it touches.
  label4_.lower();
  banner_.lower();
  QWidget::setTabOrder(&password_, &login_);
  password_.setFocus();

  QObject::connect(&login_, &QPushButton::clicked, &window(),
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
