// RirAvadera.exe: one copy at a time, the start-up, then the windows' messages until the program
// ends.
#include <windows.h>
#include <commctrl.h>

#include "app/application.h"
#include "app/start_up.h"
#include "form_window.h"
#include "services.h"
#include "single_copy.h"
#include "view_factory.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
  win32::SingleCopy single_copy;
  if (!single_copy.first()) {
    win32::SingleCopy::WakeFirstCopy();
    return 0;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  win32::Win32Services services;
  win32::Win32ViewFactory views(services, win32::SystemScale());
  app::Application application(views, services);
  views.OnSessionEnding([&application] { application.EndSession(); });
  views.OnAnotherCopyStarted([&application] { application.AnotherCopyStarted(); });
  modGetSystemPath::Main(application);
  if (!application.AnyLoaded()) {
    return 0;
  }
  return win32::RunMessageLoop();
}
