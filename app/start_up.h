// The program's first code: brings up the main window, then keeps it on screen on the first run
// or sends it to the notification area on every other.
#pragma once

#include "app/application.h"

namespace modGetSystemPath {

void Main(app::Application& application);

}  // namespace modGetSystemPath
