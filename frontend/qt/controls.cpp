#include "controls.h"

#include <limits>

namespace qtfront {

void SetColour(QWidget& control, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = control.palette();
  palette.setColor(role, colour);
  control.setPalette(palette);
}

QLabel& PlaceLabel(QLabel& label, const QRect& box) {
  label.setGeometry(box);
  label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label.setWordWrap(true);
  // Its own text colour, even inside a box that paints the window background (whose text role
  // a label would take over).
  label.setForegroundRole(QPalette::WindowText);
  return label;
}

QPushButton& PlaceButton(QPushButton& button, const QRect& box) {
  button.setGeometry(box);
  button.setAutoDefault(true);
  return button;
}

void MakePasswordBox(QLineEdit& box) {
  box.setEchoMode(QLineEdit::Password);  // the program's style draws "*"
  box.setMaxLength(std::numeric_limits<int>::max());
  box.setAttribute(Qt::WA_InputMethodEnabled, false);
}

}  // namespace qtfront
