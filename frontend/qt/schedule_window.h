// The schedule window, frmSchedule, in Qt: a box of ranges for each day, the line that tells what
// they give, and OK and Cancel, shown modally over the main window.
#pragma once

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <array>

#include "form.h"
#include "ui/common/forms.h"
#include "ui/schedule/day_ranges.h"
#include "ui/schedule/schedule_view.h"

namespace qtfront {

class ScheduleWindow final : public Form<ui::ScheduleView> {
 public:
  // `owner`: the main window, which takes no input while this one is open; may be null.
  ScheduleWindow(ui::Forms& forms, QWidget* owner);

  std::string DayText(int day) const override;
  void SetDayText(int day, std::string_view text) override;
  void SetStateText(std::string_view text) override;
  void ShowModal() override;
  void Unload() override;

 private:
  // Enter and Esc that no control of the window took, as a dialog's default and cancel buttons
  // take them.
  class DialogKeys final : public QObject {
   public:
    explicit DialogKeys(ScheduleWindow& window) : window_(window) {}

   protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    ScheduleWindow& window_;
  };

  template <class Handler>
  void Raise(Handler handler);

  ui::Forms& forms_;
  std::array<QLineEdit*, ui::kDaysInWeek> days_{};
  QLabel& state_;
  QPushButton& ok_;
  DialogKeys dialog_keys_{*this};
  QEventLoop* modal_loop_ = nullptr;  // while ShowModal waits
};

}  // namespace qtfront
