#include "form_controls.h"

#include <QColor>
#include <QPalette>

#include "control_kinds.h"
#include "controls.h"
#include "form_window.h"
#include "text.h"

namespace qtfront {

namespace {

QColor ToQColor(const ui::layout::Colour& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace

FormControls::FormControls(QWidget& client, const ui::layout::FormLayout& layout)
    : layout_(layout) {
  widgets_.reserve(layout.controls.size());
  QWidget* last_focus = nullptr;
  for (const ui::layout::Control& control : layout.controls) {
    QWidget& parent =
        control.container.empty() ? client : ContentsOf(*widgets_[layout.RowOf(control.container)]);
    QWidget& widget = *widgets_.emplace_back(MakeWidget(control, parent));
    Place(widget, control);
    if (ui::layout::TakesFocus(control.kind)) {
      if (last_focus) {
        QWidget::setTabOrder(last_focus, &widget);
      } else {
        widget.setFocus();  // the first control that takes the focus holds it at the start
      }
      last_focus = &widget;
    }
  }
}

FormControls::~FormControls() {
  while (!widgets_.empty()) {
    widgets_.pop_back();
  }
}

void FormControls::Place(QWidget& widget, const ui::layout::Control& control) {
  widget.setObjectName(ToQt(control.name));
  widget.setGeometry(control.rect.left, control.rect.top, control.rect.width, control.rect.height);
  if (control.font != layout_.font) {
    widget.setFont(ProgramFont(control.font));
  }
  const bool text_box = IsTextBoxKind(control.kind);
  if (control.text_colour) {
    SetColour(widget, text_box ? QPalette::Text : QPalette::WindowText,
              ToQColor(*control.text_colour));
  }
  if (control.back_colour) {
    SetColour(widget, text_box ? QPalette::Base : QPalette::Window, ToQColor(*control.back_colour));
    widget.setAutoFillBackground(!text_box);
  }
  if (control.kind == ui::layout::Kind::kLabel) {
    // A label paints its background unless it is transparent, and lies beneath the controls
    // its box reaches into, which stay whole.
    widget.setAutoFillBackground(!control.transparent);
    widget.lower();
  }
  widget.setEnabled(control.enabled);
  if (!control.shown) {
    widget.hide();
  }
}

}  // namespace qtfront
