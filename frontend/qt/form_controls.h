// The controls of one window, made by walking its layout table: each row becomes the widget of
// its kind, named as in the table, inside its container, at its rectangle (in 96-DPI pixels,
// which Qt scales on high-DPI screens), with its font, colours and state, and the Tab key
// following the table's order. The widgets live here, and go before the window they lie in.
#pragma once

#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "ui/common/layout.h"

namespace qtfront {

class FormControls {
 public:
  // `client`: the window's client area, in which the rows without a container lie.
  FormControls(QWidget& client, const ui::layout::FormLayout& layout);
  FormControls(const FormControls&) = delete;
  FormControls& operator=(const FormControls&) = delete;
  // Children go before their containers: the widgets go in the reverse of the table's order.
  ~FormControls();

  // A control by its name in the table, as the widget its kind makes.
  template <class Widget>
  Widget& Get(std::string_view name) const {
    auto* widget = dynamic_cast<Widget*>(widgets_[layout_.RowOf(name)].get());
    if (!widget) {
      throw std::logic_error("a control of the table is not the widget asked for");
    }
    return *widget;
  }

 private:
  void Place(QWidget& widget, const ui::layout::Control& control);

  const ui::layout::FormLayout& layout_;
  std::vector<std::unique_ptr<QWidget>> widgets_;  // one per row of the table
};

}  // namespace qtfront
