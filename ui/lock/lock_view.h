// What the lock window shows: the length box, the end it gives, and the box for time off.
#pragma once

#include <string>
#include <string_view>

#include "ui/common/form_view.h"

namespace ui {

class LockView : public FormView {
 public:
  // `txtLength`, as 8-bit text.
  virtual std::string LengthText() const = 0;
  // `chkCountOnlyOn` ticked.
  virtual bool CountOnlyOn() const = 0;
  // `lblEnds`' caption.
  virtual void SetEndsText(std::string_view text) = 0;
  // Shows the window modally over the main window; returns once it has unloaded.
  virtual void ShowModal() = 0;
};

}  // namespace ui
