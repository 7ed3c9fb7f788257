#include "picture_box.h"

namespace qtfront {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setBackgroundRole(QPalette::Base);  // the system's window background
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  picture_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  picture_.setGeometry(contentsRect());
}

}  // namespace qtfront
