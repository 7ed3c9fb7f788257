// A box that shows a picture at the top left corner of its inner area, inside a flat one-pixel
// border, and holds other controls: they lie on the picture, measured from the inner area.
#pragma once

#include <QFrame>
#include <QLabel>

namespace qtfront {

class PictureBox final : public QFrame {
 public:
  explicit PictureBox(QWidget* parent);

  // The picture's right and bottom edges are cut off where it is larger than the inner area.
  void SetPicture(const QPixmap& picture) { picture_.setPixmap(picture); }
  // Where the controls the box holds go.
  QWidget& contents() { return picture_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel picture_{this};
};

}  // namespace qtfront
