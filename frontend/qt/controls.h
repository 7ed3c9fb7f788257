// Small helpers that the three windows share for their controls.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qtfront {

// Every control carries its name from the tables, so that tests and tools find it.
template <class Control>
Control& Named(Control& control, const char* name) {
  control.setObjectName(QString::fromLatin1(name));
  return control;
}

// Sets the colour of `role` in the control's palette.
void SetColour(QWidget& control, QPalette::ColorRole role, const QColor& colour);

// A label with its text at the top left of its box, which wraps words as a label does.
QLabel& PlaceLabel(QLabel& label, const QRect& box);

// A push button that Enter presses while it has the focus, as Space does; it is never the
// window's default button.
QPushButton& PlaceButton(QPushButton& button, const QRect& box);

// A single-line box that shows "*" for each character, has no length limit and takes no input
// method.
void MakePasswordBox(QLineEdit& box);

}  // namespace qtfront
