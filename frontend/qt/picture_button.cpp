#include "picture_button.h"

#include <QMouseEvent>

namespace qtfront {

PictureButton::PictureButton(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setFocusPolicy(Qt::NoFocus);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click && clicked_) {
    clicked_();
  }
}

}  // namespace qtfront
