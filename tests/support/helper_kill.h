// The kill harness (kill_save.h) with the helper's save, started through the helper's real entry
// point as the program starts it, and the program's next start as the desktop user: a load that
// asks the helper to finish whatever the killed helper left that the user may not touch.
#pragma once

#include <string>

#include "kill_save.h"

namespace testsupport {

// `helper` is a copy of the helper in a folder of its own, where its state file (none: the empty
// password) and its data lie. The save is made through /etc/hosts, the helper's only file, so
// the run needs a private mount namespace.
void SaveThroughHelper(KillRun& run, const std::string& helper);

// After SaveThroughHelper: has the run look at the record of the blocked entries that the copy
// `helper` keeps in its data folder after each kill, once the helper has served one more request
// (a finish, which needs no password) after the next load.
void LookAtHelperRecord(KillRun& run, const std::string& helper);

}  // namespace testsupport
