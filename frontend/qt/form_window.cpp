#include "form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include "text.h"

namespace qtfront {

namespace {

// A window with a close box and the system menu, and nothing that would resize it.
constexpr Qt::WindowFlags kFixedWindow = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

}  // namespace

FormWindow::FormWindow(const Description& description) : QWidget(nullptr, kFixedWindow) {
  setWindowTitle(description.caption);
  setWindowIcon(ProgramIcon());
  setFont(DefaultFont());
  layout_.setContentsMargins(0, 0, 0, 0);
  layout_.setSpacing(0);
  layout_.setSizeConstraint(QLayout::SetFixedSize);
  client_.setFixedSize(description.client_size);
  layout_.addWidget(&client_);
  Centre();
}

FormWindow::FormWindow(const ui::layout::FormLayout& layout)
    : FormWindow(Description{.caption = ToQt(layout.caption),
                             .client_size = {layout.client_width, layout.client_height}}) {
  setFont(ProgramFont(layout.font));
}

void FormWindow::SetMenuBar(QMenuBar& bar) {
  layout_.setMenuBar(&bar);
  Centre();
}

void FormWindow::Centre() {
  layout_.activate();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
  }
}

void FormWindow::SetState(ui::WindowState state) {
  state_ = state;
  // Minimised, the program's windows leave the screen at once (the logic hides them). Asking the
  // window manager to iconify a window that is being withdrawn races with the withdrawal: its
  // late answer would minimise, and so hide, the window again when it is next shown.
  if (state == ui::WindowState::kNormal && isVisible() && isMinimized()) {
    Quietly quietly(*this);
    setWindowState(windowState() & ~Qt::WindowMinimized);
  }
}

void FormWindow::ShowNow() {
  if (unloaded_) {
    return;
  }
  Quietly quietly(*this);
  if (state_ == ui::WindowState::kMinimized) {
    showMinimized();
  } else {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
  }
}

void FormWindow::HideNow() {
  Quietly quietly(*this);
  hide();
}

void FormWindow::Unload() {
  // The widget itself goes with the window's view, once no handler of the window can be on the
  // stack.
  unloaded_ = true;
  hide();
}

void FormWindow::closeEvent(QCloseEvent* event) {
  // The window's logic decides, and unloads the window itself when it lets it close.
  event->ignore();
  if (!quiet() && close_request_) {
    close_request_();
  }
}

void FormWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || quiet()) {
    return;
  }
  if (isMinimized()) {
    state_ = ui::WindowState::kMinimized;
    if (minimized_) {
      minimized_();
    }
  } else {
    state_ = ui::WindowState::kNormal;
  }
}

QFont DefaultFont() {
  return ProgramFont(ui::layout::kDefaultFont);
}

QFont ProgramFont(const ui::layout::Font& font) {
  QFont made(ToQt(font.face));
  made.setPointSizeF(font.points());
  made.setBold(font.bold);
  return made;
}

QIcon ProgramIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/assets/icon-16.png"));
  icon.addFile(QStringLiteral(":/assets/icon-32.png"));
  icon.addFile(QStringLiteral(":/assets/icon-256.png"));
  return icon;
}

}  // namespace qtfront
