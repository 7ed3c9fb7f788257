#include "control_kinds.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <limits>

#include "controls.h"
#include "picture_box.h"
#include "picture_button.h"
#include "text.h"

namespace qtfront {

namespace {

QRect BoxOf(const ui::layout::Control& control) {
  return {control.rect.left, control.rect.top, control.rect.width, control.rect.height};
}

std::unique_ptr<QWidget> MakeButton(const ui::layout::Control& control, QWidget& parent) {
  auto button = std::make_unique<QPushButton>(ToQt(control.caption), &parent);
  PlaceButton(*button, BoxOf(control));
  return button;
}

// No text box of the program has a length limit.
std::unique_ptr<QWidget> MakeLineEdit(QWidget& parent) {
  auto box = std::make_unique<QLineEdit>(&parent);
  box->setMaxLength(std::numeric_limits<int>::max());
  return box;
}

std::unique_ptr<QWidget> MakePasswordEdit(QWidget& parent) {
  auto box = std::make_unique<QLineEdit>(&parent);
  MakePasswordBox(*box);
  return box;
}

std::unique_ptr<QWidget> MakeMultiLineBox(QWidget& parent) {
  auto box = std::make_unique<QPlainTextEdit>(&parent);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab leads on to the next control, as in every other control.
  box->setTabChangesFocus(true);
  return box;
}

std::unique_ptr<QWidget> MakeLabel(const ui::layout::Control& control, QWidget& parent) {
  auto label = std::make_unique<QLabel>(ToQt(control.caption), &parent);
  PlaceLabel(*label, BoxOf(control));
  return label;
}

std::unique_ptr<QWidget> MakeStatusBar(QWidget& parent) {
  auto bar = std::make_unique<QStatusBar>(&parent);
  bar->setSizeGripEnabled(false);  // the window has a fixed size
  return bar;
}

}  // namespace

std::unique_ptr<QWidget> MakeWidget(const ui::layout::Control& control, QWidget& parent) {
  using ui::layout::Kind;
  switch (control.kind) {
    case Kind::kPushButton:
      return MakeButton(control, parent);
    case Kind::kTextBox:
      return MakeLineEdit(parent);
    case Kind::kPasswordBox:
      return MakePasswordEdit(parent);
    case Kind::kMultiLineTextBox:
      return MakeMultiLineBox(parent);
    case Kind::kLabel:
      return MakeLabel(control, parent);
    case Kind::kPictureButton:
      return std::make_unique<PictureButton>(&parent);
    case Kind::kPictureBox:
      return std::make_unique<PictureBox>(&parent);
    case Kind::kListView:
      return std::make_unique<QTreeView>(&parent);
    case Kind::kStatusBar:
      return MakeStatusBar(parent);
    case Kind::kCheckBox:
      return std::make_unique<QCheckBox>(ToQt(control.caption), &parent);
  }
  return std::make_unique<QWidget>(&parent);
}

QWidget& ContentsOf(QWidget& container) {
  auto* box = dynamic_cast<PictureBox*>(&container);
  return box ? box->contents() : container;
}

bool IsTextBoxKind(ui::layout::Kind kind) {
  using ui::layout::Kind;
  return kind == Kind::kTextBox || kind == Kind::kPasswordBox || kind == Kind::kMultiLineTextBox;
}

}  // namespace qtfront
