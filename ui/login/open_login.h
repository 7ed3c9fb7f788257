// Opening the login window, as a double-click on the tray icon does.
#pragma once

#include "ui/common/forms.h"
#include "ui/common/platform_services.h"

namespace ui {

// Normal state (loading it when need be), then the foreground, then shown; a window already
// open keeps what was typed and comes to the front.
void OpenLoginWindow(Forms& forms, PlatformServices& services);

}  // namespace ui
