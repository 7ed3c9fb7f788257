#include "login_window.h"

#include "picture_box.h"
#include "resource.h"
#include "ui/login/login_form.h"

namespace win32 {

namespace {

constexpr const char* kLoginWindowClass = "TamborelleRirAvadera.Login";
constexpr FontStyle kLargeFont{"MS Sans Serif", 1200, true};
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

}  // namespace

LoginWindow::LoginWindow(ui::Forms& forms, const Scale& scale)
    : Form<ui::LoginView>(scale),
      forms_(forms),
      default_font_(MakeFont(kDefaultFont, scale)),
      large_font_(MakeFont(kLargeFont, scale)),
      banner_(LoadPicture(IDB_BANNER_LOGIN, scale)),
      banner_brush_(CreatePatternBrush(banner_.get())),
      password_key_down_([this](std::int16_t key_code, std::int16_t shift) {
        if (!quiet() && forms_.IsLoaded(ui::FormId::kLogin)) {
          forms_.Login().txtPassword_KeyDown(key_code, shift);
        }
      }) {
  Create({.class_name = kLoginWindowClass,
          .caption = "Login",
          .client_width = 406,
          .client_height = 111,
          // The window paints its banner under the labels, which draw only their text.
          .clip_children = false});
  if (hwnd()) {
    MakeControls();
  }
}

LoginWindow::~LoginWindow() {
  Destroy();
}

void LoginWindow::MakeControls() {
  const HWND window = hwnd();
  const Scale& at = scale();
  label1_ =
      MakeControl(window, "STATIC", "Tamborelle", SS_LEFT, IDC_LOGIN_LABEL1, {96, 8, 241, 25}, at);
  label2_ = MakeControl(window, "STATIC", "Web", SS_LEFT, IDC_LOGIN_LABEL2, {104, 16, 41, 41}, at);
  label3_ =
      MakeControl(window, "STATIC", "Durezur", SS_LEFT, IDC_LOGIN_LABEL3, {144, 16, 97, 41}, at);
  password_ = MakeControl(window, "EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                          IDC_LOGIN_TXTPASSWORD, {168, 48, 233, 25}, at, WS_EX_CLIENTEDGE);
  label4_ =
      MakeControl(window, "STATIC", "Password:", SS_LEFT, IDC_LOGIN_LABEL4, {112, 56, 81, 25}, at);
  login_ = MakeControl(window, "BUTTON", "Login", WS_TABSTOP | BS_PUSHBUTTON, IDC_LOGIN_CMDLOGIN,
                       {328, 80, 73, 25}, at);
  for (const HWND control : {label1_, password_, label4_, login_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(default_font_.get()), FALSE);
  }
  for (const HWND control : {label2_, label3_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(large_font_.get()), FALSE);
  }
  SendMessageA(password_, EM_SETPASSWORDCHAR, '*', 0);
  SendMessageA(password_, EM_SETLIMITTEXT, 0, 0);
  ForwardKeyDown(password_, password_key_down_);
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
    case WM_CTLCOLORSTATIC: {
      const auto label = reinterpret_cast<HWND>(lparam);
      return reinterpret_cast<LRESULT>(TransparentLabelColours(reinterpret_cast<HDC>(wparam),
                                                               label == label2_ ? kGreen : kWhite));
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_LOGIN_CMDLOGIN && HIWORD(wparam) == BN_CLICKED && !quiet() &&
          forms_.IsLoaded(ui::FormId::kLogin)) {
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
  return NativeWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
