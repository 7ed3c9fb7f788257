// Makes the Qt view of each window when the window logic loads it.
#pragma once

#include "app/view_factory.h"
#include "services.h"

namespace qtfront {

class QtViewFactory final : public app::ViewFactory {
 public:
  explicit QtViewFactory(QtServices& services) : services_(services) {}

  std::unique_ptr<ui::MainView> CreateMainView(ui::Forms& forms) override;
  std::unique_ptr<ui::LoginView> CreateLoginView(ui::Forms& forms) override;
  std::unique_ptr<ui::PasswordView> CreatePasswordView(ui::Forms& forms) override;
  std::unique_ptr<ui::LockView> CreateLockView(ui::Forms& forms) override;
  std::unique_ptr<ui::ScheduleView> CreateScheduleView(ui::Forms& forms) override;

 private:
  QtServices& services_;
};

}  // namespace qtfront
