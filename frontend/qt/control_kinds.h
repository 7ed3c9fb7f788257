// What each kind of control of the layout tables is as a Qt widget, with the settings every
// control of that kind has. What only one window's control needs (the list's tree view
// settings, the pictures) the window adds itself.
#pragma once

#include <QWidget>
#include <memory>

#include "ui/common/layout.h"

namespace qtfront {

std::unique_ptr<QWidget> MakeWidget(const ui::layout::Control& control, QWidget& parent);

// Where the controls that a control of the table holds go: its inner area for a picture box.
QWidget& ContentsOf(QWidget& container);

// Whether a control of this kind is a text box, whose text and background are the palette's
// Text and Base rather than WindowText and Window.
bool IsTextBoxKind(ui::layout::Kind kind);

}  // namespace qtfront
