#include "view_factory.h"

#include "lock_window.h"
#include "login_window.h"
#include "main_window.h"
#include "password_window.h"
#include "schedule_window.h"
#include "ui/main/main_form.h"

namespace qtfront {

namespace {

// The window a modal window of the main window belongs to: null while the main window is not
// loaded.
QWidget* MainWindowOf(ui::Forms& forms) {
  if (!forms.IsLoaded(ui::FormId::kMain)) {
    return nullptr;
  }
  return QWidget::find(static_cast<WId>(forms.Main().view().hWnd()));
}

}  // namespace

std::unique_ptr<ui::MainView> QtViewFactory::CreateMainView(ui::Forms& forms) {
  // The tray icon reports to the main window, as long as it is loaded.
  services_.OnTrayMessage([&forms](std::int32_t mouse_message) {
    if (forms.IsLoaded(ui::FormId::kMain)) {
      forms.Main().nidTray_MouseMessage(mouse_message);
    }
  });
  return std::make_unique<MainWindow>(forms);
}

std::unique_ptr<ui::LoginView> QtViewFactory::CreateLoginView(ui::Forms& forms) {
  return std::make_unique<LoginWindow>(forms);
}

std::unique_ptr<ui::PasswordView> QtViewFactory::CreatePasswordView(ui::Forms& forms) {
  return std::make_unique<PasswordWindow>(forms, MainWindowOf(forms));
}

std::unique_ptr<ui::LockView> QtViewFactory::CreateLockView(ui::Forms& forms) {
  return std::make_unique<LockWindow>(forms, MainWindowOf(forms));
}

std::unique_ptr<ui::ScheduleView> QtViewFactory::CreateScheduleView(ui::Forms& forms) {
  return std::make_unique<ScheduleWindow>(forms, MainWindowOf(forms));
}

}  // namespace qtfront
