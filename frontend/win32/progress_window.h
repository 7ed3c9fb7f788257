// The window that follows a long task of the window logic: what it has done so far, and a
// Cancel button.
#pragma once

#include <windows.h>

#include "scale.h"
#include "ui/common/platform_services.h"

namespace win32 {

inline constexpr const char* kProgressWindowClass = "TamborelleRirAvadera.Progress";

// Returns once the task is finished. The window appears only when the task takes longer than a
// moment, and is modal while it is up (its owner disabled); before it is, the program answers
// no input, so that no other command starts while this one waits.
void WatchProgress(HWND owner, const ui::ProgressWatch& watch, const Scale& scale);

}  // namespace win32
