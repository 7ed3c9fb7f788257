// What the schedule window shows: a box of ranges for each day and the line that tells what they
// give.
#pragma once

#include <string>
#include <string_view>

#include "ui/common/form_view.h"

namespace ui {

class ScheduleView : public FormView {
 public:
  // The box of `day` (0 Monday .. 6 Sunday), as 8-bit text.
  virtual std::string DayText(int day) const = 0;
  virtual void SetDayText(int day, std::string_view text) = 0;
  // `lblState`'s caption.
  virtual void SetStateText(std::string_view text) = 0;
  // Shows the window modally over the main window; returns once it has unloaded.
  virtual void ShowModal() = 0;
};

}  // namespace ui
