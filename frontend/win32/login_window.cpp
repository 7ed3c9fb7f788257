#include "login_window.h"

#include "resource.h"
#include "ui/login/login_form.h"

namespace win32 {

namespace {

constexpr const char* kLoginWindowClass = "TamborelleRirAvadera.Login";

}  // namespace

LoginWindow::LoginWindow(ui::Forms& forms, const Scale& scale)
    : Form<ui::LoginView>(scale),
      forms_(forms),
      banner_(LoadPicture(IDB_BANNER_LOGIN, scale)),
      banner_brush_(CreatePatternBrush(banner_.get())),
      password_key_down_([this](std::int16_t key_code, std::int16_t shift) {
        if (!quiet() && forms_.IsLoaded(ui::FormId::kLogin)) {
          forms_.Login().txtPassword_KeyDown(key_code, shift);
        }
      }) {
  if (CreateFromTable({.class_name = kLoginWindowClass,
                       .table = kLoginTable,
                       // The window paints its banner under the labels, which draw only their text.
                       .clip_children = false})) {
    password_ = Control("txtPassword");
    ForwardKeyDown(password_, password_key_down_);
  }
}

LoginWindow::~LoginWindow() {
  Destroy();
}

std::string LoginWindow::PasswordText() const {
  return TextOf(password_);
}

void LoginWindow::PaintBanner(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, banner_brush_.get());
}

LRESULT LoginWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      PaintBanner(reinterpret_cast<HDC>(wparam));
      return 1;
    case WM_COMMAND:
      if (LOWORD(wparam) == kLoginTable.Id("cmdLogin") && HIWORD(wparam) == BN_CLICKED &&
          !quiet() && forms_.IsLoaded(ui::FormId::kLogin)) {
        forms_.Login().cmdLogin_Click();
      }
      return 0;
    case WM_CLOSE:
      if (!quiet()) {
        forms_.Unload(ui::FormId::kLogin, ui::UnloadMode::kControlMenu);
      }
      return 0;
    default:
      break;
  }
  return FormWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
