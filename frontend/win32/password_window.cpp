#include "password_window.h"

#include "picture_box.h"
#include "resource.h"
#include "ui/password/password_form.h"

namespace win32 {

namespace {

constexpr const char* kPasswordWindowClass = "TamborelleRirAvadera.Password";

}  // namespace

PasswordWindow::PasswordWindow(ui::Forms& forms, HWND owner, const Scale& scale)
    : Form<ui::PasswordView>(scale),
      forms_(forms),
      owner_(owner),
      default_font_(MakeFont(kDefaultFont, scale)) {
  Create({.class_name = kPasswordWindowClass,
          .caption = "Change Password",
          .client_width = 337,
          .client_height = 113,
          .owner = owner});
  const HWND window = hwnd();
  if (!window) {
    return;
  }
  const HWND label1 = MakeControl(window, "STATIC", "Password:", SS_LEFT, IDC_PASSWORD_LABEL1,
                                  {8, 24, 89, 17}, scale);
  const HWND label2 = MakeControl(window, "STATIC", "Confirm:", SS_LEFT, IDC_PASSWORD_LABEL2,
                                  {8, 56, 89, 17}, scale);
  password_ = MakeControl(window, "EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                          IDC_PASSWORD_TXTPASSWORD, {72, 16, 257, 25}, scale, WS_EX_CLIENTEDGE);
  confirm_ = MakeControl(window, "EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                         IDC_PASSWORD_TXTCONFIRM, {72, 48, 257, 25}, scale, WS_EX_CLIENTEDGE);
  const HWND save = MakeControl(window, "BUTTON", "OK", WS_TABSTOP | BS_PUSHBUTTON,
                                IDC_PASSWORD_CMDSAVEPASSWORD, {232, 80, 97, 25}, scale);
  for (const HWND control : {label1, label2, password_, confirm_, save}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(default_font_.get()), FALSE);
  }
  PutLabelsBeneath({label1, label2});
  for (const HWND box : {password_, confirm_}) {
    SendMessageA(box, EM_SETPASSWORDCHAR, '*', 0);
    SendMessageA(box, EM_SETLIMITTEXT, 0, 0);
  }
}

PasswordWindow::~PasswordWindow() {
  EndModal();
  Destroy();
}

std::string PasswordWindow::PasswordText() const {
  return TextOf(password_);
}

std::string PasswordWindow::ConfirmText() const {
  return TextOf(confirm_);
}

void PasswordWindow::ShowModal() {
  if (!hwnd()) {
    return;
  }
  if (owner_) {
    EnableWindow(owner_, FALSE);
  }
  modal_ = true;
  Show();
  MSG message{};
  while (hwnd()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the outer loop must see that too.
      PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
      break;
    }
    DispatchWithDialogKeys(message);
  }
  EndModal();
}

void PasswordWindow::EndModal() {
  // The owner takes input again before this window goes, so that it gets the activation back.
  if (modal_ && owner_ && IsWindow(owner_)) {
    EnableWindow(owner_, TRUE);
  }
  modal_ = false;
}

void PasswordWindow::Unload() {
  EndModal();
  Destroy();
}

LRESULT PasswordWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // Enter and Esc mean nothing here; only the OK button does.
      if (LOWORD(wparam) == IDC_PASSWORD_CMDSAVEPASSWORD && HIWORD(wparam) == BN_CLICKED &&
          !quiet() && forms_.IsLoaded(ui::FormId::kPassword)) {
        forms_.Password().cmdSavePassword_Click();
      }
      return 0;
    case WM_CLOSE:
      if (!quiet()) {
        forms_.Unload(ui::FormId::kPassword, ui::UnloadMode::kControlMenu);
      }
      return 0;
    default:
      break;
  }
  return NativeWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
