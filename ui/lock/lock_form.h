// The lock window's logic: the length typed becomes an end shown as it is typed; Lock asks once,
// saying what the lock prevents, then locks every blocked entry through the system's files, and
// the window unloads.
#pragma once

#include "ui/common/forms.h"
#include "ui/common/platform_services.h"
#include "ui/lock/lock_view.h"

namespace ui {

class frmLock {
 public:
  frmLock(LockView& view, Forms& forms, PlatformServices& services);
  frmLock(const frmLock&) = delete;
  frmLock& operator=(const frmLock&) = delete;

  LockView& view() { return view_; }

  void Form_Load();
  void txtLength_Change();
  void cmdLock_Click();
  void cmdCancel_Click();

 private:
  LockView& view_;
  Forms& forms_;
  PlatformServices& services_;
};

}  // namespace ui
