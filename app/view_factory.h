// The front end's part in loading a window: a fresh view, with its native window made, for each
// load. The view reaches the logic through `forms` once the load has begun.
#pragma once

#include <memory>

#include "ui/common/forms.h"
#include "ui/lock/lock_view.h"
#include "ui/login/login_view.h"
#include "ui/main/main_view.h"
#include "ui/password/password_view.h"
#include "ui/schedule/schedule_view.h"

namespace app {

class ViewFactory {
 public:
  virtual ~ViewFactory() = default;
  virtual std::unique_ptr<ui::MainView> CreateMainView(ui::Forms& forms) = 0;
  virtual std::unique_ptr<ui::LoginView> CreateLoginView(ui::Forms& forms) = 0;
  virtual std::unique_ptr<ui::PasswordView> CreatePasswordView(ui::Forms& forms) = 0;
  virtual std::unique_ptr<ui::LockView> CreateLockView(ui::Forms& forms) = 0;
  virtual std::unique_ptr<ui::ScheduleView> CreateScheduleView(ui::Forms& forms) = 0;
};

}  // namespace app
