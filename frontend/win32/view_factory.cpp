#include "view_factory.h"

#include "login_window.h"
#include "password_window.h"
#include "ui/main/main_form.h"

namespace win32 {

std::unique_ptr<ui::MainView> Win32ViewFactory::CreateMainView(ui::Forms& forms) {
  return std::make_unique<MainWindow>(forms, services_, events_, scale_);
}

std::unique_ptr<ui::LoginView> Win32ViewFactory::CreateLoginView(ui::Forms& forms) {
  return std::make_unique<LoginWindow>(forms, scale_);
}

std::unique_ptr<ui::PasswordView> Win32ViewFactory::CreatePasswordView(ui::Forms& forms) {
  const HWND owner = forms.IsLoaded(ui::FormId::kMain)
                         ? reinterpret_cast<HWND>(forms.Main().view().hWnd())
                         : nullptr;
  return std::make_unique<PasswordWindow>(forms, owner, scale_);
}

}  // namespace win32
