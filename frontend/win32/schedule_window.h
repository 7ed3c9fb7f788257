// The schedule window, frmSchedule, as a native window shown modally over the main window: a box
// of ranges for each day, the line that tells what they give, and OK and Cancel.
#pragma once

#include <windows.h>

#include <array>

#include "form_window.h"
#include "ui/common/forms.h"
#include "ui/schedule/day_ranges.h"
#include "ui/schedule/schedule_view.h"

namespace win32 {

class ScheduleWindow final : public Form<ui::ScheduleView> {
 public:
  // `owner`: the main window, which takes no input while this window is open.
  ScheduleWindow(ui::Forms& forms, HWND owner, const Scale& scale);
  ~ScheduleWindow() override;

  std::string DayText(int day) const override;
  void SetDayText(int day, std::string_view text) override;
  void SetStateText(std::string_view text) override;
  void ShowModal() override;
  void Unload() override;

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code);
  template <class Handler>
  void Raise(Handler handler);
  void EndModal();
  void ShowDefaultButton();

  ui::Forms& forms_;
  HWND owner_;
  bool modal_ = false;

  std::array<HWND, ui::kDaysInWeek> days_{};
  HWND state_ = nullptr;
  HWND ok_ = nullptr;
  HWND cancel_ = nullptr;
};

}  // namespace win32
