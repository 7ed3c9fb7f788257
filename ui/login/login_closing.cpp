// Closing the login window with its close box, which may end the program.
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"

namespace ui {

void frmLogin::Form_QueryUnload(bool& Cancel, UnloadMode mode) {
  // The program's own unloads (after an attempt, on the way out) and the session's end go
  // ahead; so does every close while an icon or the main window is there to come back through.
  const bool users_close = mode == UnloadMode::kControlMenu || mode == UnloadMode::kTaskManager;
  if (!users_close || services_.HasNotificationArea() || !forms_.IsLoaded(FormId::kMain) ||
      forms_.Main().view().GetWindowState() != WindowState::kMinimized) {
    return;
  }
  // Closed without Exit, the program would run on with no window and no icon to reopen one.
  forms_.Main().mmuExit_Click();
  // Exit left the main window loaded when the user chose to stay: so does this window, so
  // that the program keeps a window to be reached through.
  Cancel = forms_.IsLoaded(FormId::kMain);
}

}  // namespace ui
