#include "schedule_window.h"

#include <QKeyEvent>
#include <QWindow>

#include "text.h"
#include "ui/schedule/schedule_form.h"
#include "ui/schedule/schedule_layout.h"

namespace qtfront {

ScheduleWindow::ScheduleWindow(ui::Forms& forms, QWidget* owner)
    : Form<ui::ScheduleView>(ui::kScheduleLayout),
      forms_(forms),
      state_(Control<QLabel>("lblState")),
      ok_(Control<QPushButton>("cmdOK")) {
  FormWindow& form = window();
  if (owner) {
    // Modal to the main window only, as the lock window is.
    form.winId();
    form.windowHandle()->setTransientParent(owner->windowHandle());
    form.setWindowModality(Qt::WindowModal);
  }
  for (std::size_t day = 0; day < days_.size(); ++day) {
    days_[day] = &Control<QLineEdit>(ui::kDayBoxes[day]);
    QObject::connect(days_[day], &QLineEdit::textChanged, &form, [this] {
      Raise([](ui::frmSchedule& schedule) { schedule.txtDay_Change(); });
    });
  }
  // Drawn as the button Enter presses.
  ok_.setDefault(true);
  QObject::connect(&ok_, &QPushButton::clicked, &form,
                   [this] { Raise([](ui::frmSchedule& schedule) { schedule.cmdOK_Click(); }); });
  QObject::connect(&Control<QPushButton>("cmdCancel"), &QPushButton::clicked, &form, [this] {
    Raise([](ui::frmSchedule& schedule) { schedule.cmdCancel_Click(); });
  });
  // The window is no dialog, so the keys a dialog would take reach it only as the controls
  // pass them on.
  form.installEventFilter(&dialog_keys_);
  form.OnCloseRequest(
      [this] { forms_.Unload(ui::FormId::kSchedule, ui::UnloadMode::kControlMenu); });
}

template <class Handler>
void ScheduleWindow::Raise(Handler handler) {
  if (!window().quiet() && forms_.IsLoaded(ui::FormId::kSchedule)) {
    handler(forms_.Schedule());
  }
}

bool ScheduleWindow::DialogKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || window_.window().quiet()) {
    return QObject::eventFilter(watched, event);
  }
  const auto& key = static_cast<const QKeyEvent&>(*event);
  const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  // A focused button takes Enter for itself (Cancel means Cancel); everything else that reaches
  // the window presses OK.
  if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && plain) {
    window_.ok_.click();
    return true;
  }
  if (key.key() == Qt::Key_Escape && plain) {
    window_.forms_.Unload(ui::FormId::kSchedule, ui::UnloadMode::kControlMenu);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

std::string ScheduleWindow::DayText(int day) const {
  return FromQt(days_.at(static_cast<std::size_t>(day))->text());
}

void ScheduleWindow::SetDayText(int day, std::string_view text) {
  FormWindow::Quietly quietly(window());
  days_.at(static_cast<std::size_t>(day))->setText(ToQt(text));
}

void ScheduleWindow::SetStateText(std::string_view text) {
  state_.setText(ToQt(text));
}

void ScheduleWindow::ShowModal() {
  if (window().unloaded()) {
    return;
  }
  if (!window().windowHandle() || !window().windowHandle()->transientParent()) {
    window().setWindowModality(Qt::ApplicationModal);
  }
  Show();
  QEventLoop loop;
  modal_loop_ = &loop;
  loop.exec();
  modal_loop_ = nullptr;
}

void ScheduleWindow::Unload() {
  Form<ui::ScheduleView>::Unload();
  if (modal_loop_) {
    modal_loop_->quit();
  }
}

}  // namespace qtfront
