// A picture used as a button: it shows its picture at its own size, takes no focus, and is
// clicked by a press and release of the left button over it.
#pragma once

#include <QLabel>
#include <functional>

namespace qtfront {

class PictureButton final : public QLabel {
 public:
  explicit PictureButton(QWidget* parent);

  void OnClick(std::function<void()> handler) { clicked_ = std::move(handler); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> clicked_;
  bool pressed_ = false;
};

}  // namespace qtfront
