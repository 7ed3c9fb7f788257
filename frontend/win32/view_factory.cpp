#include "view_factory.h"

#include "lock_window.h"
#include "login_window.h"
#include "password_window.h"
#include "schedule_window.h"
#include "ui/main/main_form.h"

namespace win32 {

namespace {

// The owner of a modal window of the main window: null while the main window is not loaded.
HWND MainWindowOf(ui::Forms& forms) {
  return forms.IsLoaded(ui::FormId::kMain) ? reinterpret_cast<HWND>(forms.Main().view().hWnd())
                                           : nullptr;
}

}  // namespace

std::unique_ptr<ui::MainView> Win32ViewFactory::CreateMainView(ui::Forms& forms) {
  return std::make_unique<MainWindow>(forms, services_, events_, scale_);
}

std::unique_ptr<ui::LoginView> Win32ViewFactory::CreateLoginView(ui::Forms& forms) {
  return std::make_unique<LoginWindow>(forms, scale_);
}

std::unique_ptr<ui::PasswordView> Win32ViewFactory::CreatePasswordView(ui::Forms& forms) {
  return std::make_unique<PasswordWindow>(forms, MainWindowOf(forms), scale_);
}

std::unique_ptr<ui::LockView> Win32ViewFactory::CreateLockView(ui::Forms& forms) {
  return std::make_unique<LockWindow>(forms, MainWindowOf(forms), scale_);
}

std::unique_ptr<ui::ScheduleView> Win32ViewFactory::CreateScheduleView(ui::Forms& forms) {
  return std::make_unique<ScheduleWindow>(forms, MainWindowOf(forms), scale_);
}

}  // namespace win32
