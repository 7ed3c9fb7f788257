#include "ui/login/open_login.h"

#include "ui/login/login_form.h"

namespace ui {

void OpenLoginWindow(Forms& forms, PlatformServices& services) {
  forms.Login().view().SetWindowState(WindowState::kNormal);
  services.SetForegroundWindow(forms.Login().view());
  forms.Login().view().Show();
}

}  // namespace ui
