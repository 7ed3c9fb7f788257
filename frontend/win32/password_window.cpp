#include "password_window.h"

#include "ui/password/password_form.h"

namespace win32 {

namespace {

constexpr const char* kPasswordWindowClass = "TamborelleRirAvadera.Password";

}  // namespace

PasswordWindow::PasswordWindow(ui::Forms& forms, HWND owner, const Scale& scale)
    : Form<ui::PasswordView>(scale), forms_(forms), owner_(owner) {
  if (CreateFromTable(
          {.class_name = kPasswordWindowClass, .table = kPasswordTable, .owner = owner})) {
    password_ = Control("txtPassword");
    confirm_ = Control("txtConfirm");
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
      if (LOWORD(wparam) == kPasswordTable.Id("cmdSavePassword") && HIWORD(wparam) == BN_CLICKED &&
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
  return FormWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
