#include "key_down.h"

#include <QKeyEvent>

namespace qtfront {

bool KeyDownFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && handler_) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    handler_(WindowsKeyCode(key.key()), ShiftState(key.modifiers()));
  }
  return QObject::eventFilter(watched, event);
}

std::int16_t WindowsKeyCode(int qt_key) {
  // Letters, digits and the space bar have the same codes in both.
  if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) ||
      (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) || qt_key == Qt::Key_Space) {
    return static_cast<std::int16_t>(qt_key);
  }
  switch (qt_key) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Delete:
      return 46;
    default:
      return 0;
  }
}

std::int16_t ShiftState(Qt::KeyboardModifiers modifiers) {
  int state = 0;
  if (modifiers & Qt::ShiftModifier) {
    state |= 1;
  }
  if (modifiers & Qt::ControlModifier) {
    state |= 2;
  }
  if (modifiers & Qt::AltModifier) {
    state |= 4;
  }
  return static_cast<std::int16_t>(state);
}

}  // namespace qtfront
