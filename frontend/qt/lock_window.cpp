#include "lock_window.h"

#include <QKeyEvent>
#include <QWindow>

#include "text.h"
#include "ui/lock/lock_form.h"
#include "ui/lock/lock_layout.h"

namespace qtfront {

LockWindow::LockWindow(ui::Forms& forms, QWidget* owner)
    : Form<ui::LockView>(ui::kLockLayout),
      forms_(forms),
      length_(Control<QLineEdit>("txtLength")),
      ends_(Control<QLabel>("lblEnds")),
      count_only_on_(Control<QCheckBox>("chkCountOnlyOn")),
      lock_(Control<QPushButton>("cmdLock")) {
  FormWindow& form = window();
  if (owner) {
    // Modal to the main window only, as the password window is.
    form.winId();
    form.windowHandle()->setTransientParent(owner->windowHandle());
    form.setWindowModality(Qt::WindowModal);
  }
  // Drawn as the button Enter presses.
  lock_.setDefault(true);
  QObject::connect(&length_, &QLineEdit::textChanged, &form,
                   [this] { Raise([](ui::frmLock& lock) { lock.txtLength_Change(); }); });
  QObject::connect(&lock_, &QPushButton::clicked, &form,
                   [this] { Raise([](ui::frmLock& lock) { lock.cmdLock_Click(); }); });
  QObject::connect(&Control<QPushButton>("cmdCancel"), &QPushButton::clicked, &form,
                   [this] { Raise([](ui::frmLock& lock) { lock.cmdCancel_Click(); }); });
  // The window is no dialog, so the keys a dialog would take reach it only as the controls
  // pass them on.
  form.installEventFilter(&dialog_keys_);
  form.OnCloseRequest([this] { forms_.Unload(ui::FormId::kLock, ui::UnloadMode::kControlMenu); });
}

template <class Handler>
void LockWindow::Raise(Handler handler) {
  if (!window().quiet() && forms_.IsLoaded(ui::FormId::kLock)) {
    handler(forms_.Lock());
  }
}

bool LockWindow::DialogKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || window_.window().quiet()) {
    return QObject::eventFilter(watched, event);
  }
  const auto& key = static_cast<const QKeyEvent&>(*event);
  const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  // A focused button takes Enter for itself (Cancel means Cancel); everything else that reaches
  // the window presses Lock.
  if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && plain) {
    window_.lock_.click();
    return true;
  }
  if (key.key() == Qt::Key_Escape && plain) {
    window_.forms_.Unload(ui::FormId::kLock, ui::UnloadMode::kControlMenu);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

std::string LockWindow::LengthText() const {
  return FromQt(length_.text());
}

bool LockWindow::CountOnlyOn() const {
  return count_only_on_.isChecked();
}

void LockWindow::SetEndsText(std::string_view text) {
  ends_.setText(ToQt(text));
}

void LockWindow::ShowModal() {
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

void LockWindow::Unload() {
  Form<ui::LockView>::Unload();
  if (modal_loop_) {
    modal_loop_->quit();
  }
}

}  // namespace qtfront
