// Makes the native view of each window when the window logic loads it.
#pragma once

#include "app/application.h"
#include "app/view_factory.h"
#include "scale.h"
#include "services.h"

namespace win32 {

class Win32ViewFactory final : public app::ViewFactory {
 public:
  Win32ViewFactory(Win32Services& services, const Scale& scale)
      : services_(services), scale_(scale) {}

  // The application whose windows these are; the main window reports the session's end and a
  // second start to it. Call before the first window loads.
  void Attach(app::Application& application) { application_ = &application; }

  std::unique_ptr<ui::MainView> CreateMainView(ui::Forms& forms) override;
  std::unique_ptr<ui::LoginView> CreateLoginView(ui::Forms& forms) override;
  std::unique_ptr<ui::PasswordView> CreatePasswordView(ui::Forms& forms) override;

 private:
  Win32Services& services_;
  Scale scale_;
  app::Application* application_ = nullptr;
};

}  // namespace win32
