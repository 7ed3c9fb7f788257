#include "view_factory.h"

#include <stdexcept>

#include "login_window.h"
#include "main_window.h"
#include "password_window.h"
#include "ui/main/main_form.h"

namespace win32 {

std::unique_ptr<ui::MainView> Win32ViewFactory::CreateMainView(ui::Forms& /*forms*/) {
  if (!application_) {
    throw std::logic_error("the views were asked for before the application was attached");
  }
  return std::make_unique<MainWindow>(*application_, services_, scale_);
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
