// The window that follows a long task of the window logic: what it has done so far, and a
// Cancel button.
#pragma once

#include <QWidget>

#include "ui/common/platform_services.h"

namespace qtfront {

// Returns once the task is finished. The window appears only when the task takes longer than a
// moment, and is modal while it is up; before it is, the program takes no input, so that no
// other command starts while this one waits.
void WatchProgress(QWidget* owner, const ui::ProgressWatch& watch);

}  // namespace qtfront
