// Makes the native view of each window when the window logic loads it.
#pragma once

#include <functional>
#include <utility>

#include "app/view_factory.h"
#include "main_window.h"
#include "scale.h"
#include "services.h"

namespace win32 {

class Win32ViewFactory final : public app::ViewFactory {
 public:
  Win32ViewFactory(Win32Services& services, const Scale& scale)
      : services_(services), scale_(scale) {}

  // What the main window does when the user's session ends and when a second start of the
  // program wakes this one. Set before the first window loads.
  void OnSessionEnding(std::function<void()> handler) {
    events_.session_ending = std::move(handler);
  }
  void OnAnotherCopyStarted(std::function<void()> handler) {
    events_.another_copy_started = std::move(handler);
  }

  std::unique_ptr<ui::MainView> CreateMainView(ui::Forms& forms) override;
  std::unique_ptr<ui::LoginView> CreateLoginView(ui::Forms& forms) override;
  std::unique_ptr<ui::PasswordView> CreatePasswordView(ui::Forms& forms) override;
  std::unique_ptr<ui::LockView> CreateLockView(ui::Forms& forms) override;
  std::unique_ptr<ui::ScheduleView> CreateScheduleView(ui::Forms& forms) override;

 private:
  Win32Services& services_;
  Scale scale_;
  ProgramEvents events_;
};

}  // namespace win32
