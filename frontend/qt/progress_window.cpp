#include "progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <optional>

#include "form_window.h"
#include "text.h"

namespace qtfront {

namespace {

constexpr qint64 kShowAfterMs = 400;
constexpr int kLookEveryMs = 50;

// A progress bar counts in int; a task of more steps is shown to scale.
int Scaled(std::size_t steps, std::size_t total) {
  if (total <= INT_MAX) {
    return static_cast<int>(steps);
  }
  return static_cast<int>(static_cast<double>(steps) / static_cast<double>(total) * INT_MAX);
}

// A window over a task that cannot be stopped refuses Escape and its close box as well.
class ProgressDialog final : public QProgressDialog {
 public:
  ProgressDialog(QWidget* owner, bool stoppable) : QProgressDialog(owner), stoppable_(stoppable) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (stoppable_) {
      QProgressDialog::closeEvent(event);
    } else {
      event->ignore();
    }
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (stoppable_ || event->key() != Qt::Key_Escape) {
      QProgressDialog::keyPressEvent(event);
    }
  }

 private:
  bool stoppable_;
};

}  // namespace

void WatchProgress(QWidget* owner, const ui::ProgressWatch& watch) {
  QElapsedTimer since;
  since.start();
  std::optional<ProgressDialog> window;
  bool cancelled = false;
  for (ui::ProgressState state = watch.poll(); !state.finished; state = watch.poll()) {
    if (!window && watch.show_window && since.elapsed() >= kShowAfterMs) {
      window.emplace(owner, static_cast<bool>(watch.cancel));
      window->setObjectName(QStringLiteral("ProgressWindow"));
      window->setWindowTitle(ToQt(watch.title));
      window->setWindowIcon(ProgramIcon());
      window->setFont(DefaultFont());
      window->setWindowModality(Qt::ApplicationModal);
      window->setAutoClose(false);
      window->setAutoReset(false);
      window->setMinimumDuration(0);
      window->setMinimumWidth(420);
      // The controls by name, as the program's tests and tools find them.
      if (auto* label = window->findChild<QLabel*>()) {
        label->setObjectName(QStringLiteral("lblProgress"));
      }
      if (!watch.cancel) {
        window->setCancelButton(nullptr);  // closing it is refused too
      } else if (auto* button = window->findChild<QPushButton*>()) {
        button->setObjectName(QStringLiteral("cmdCancel"));
      }
      QObject::connect(&*window, &QProgressDialog::canceled, [&] {
        if (!cancelled && watch.cancel) {
          cancelled = true;
          watch.cancel();
        }
      });
      window->show();
    }
    if (window) {
      window->setLabelText(ToQt(state.text));
      if (state.total == 0) {
        window->setRange(0, 0);  // busy, for as long as it takes
      } else {
        window->setMaximum(Scaled(state.total, state.total));
        window->setValue(Scaled(std::min(state.done, state.total), state.total));
      }
      // Asleep until the next look, with the window painted and its button answered.
      QEventLoop wait;
      QTimer::singleShot(kLookEveryMs, &wait, &QEventLoop::quit);
      wait.exec();
    } else {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      if (watch.wait) {
        watch.wait(std::chrono::milliseconds(kLookEveryMs / 5));
      } else {
        QThread::msleep(kLookEveryMs / 5);
      }
    }
  }
}

}  // namespace qtfront
