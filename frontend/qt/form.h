// A view of the window logic carried by a FormWindow, with the controls of the window's layout
// table.
#pragma once

#include <string_view>

#include "form_controls.h"
#include "form_window.h"

namespace qtfront {

template <class View>
class Form : public View {
 public:
  explicit Form(const ui::layout::FormLayout& layout)
      : window_(layout), controls_(window_.client(), layout) {}

  ui::WindowState GetWindowState() const override { return window_.state(); }
  void SetWindowState(ui::WindowState state) override { window_.SetState(state); }
  bool IsVisible() const override { return window_.isVisible(); }
  void Show() override { window_.ShowNow(); }
  void Hide() override { window_.HideNow(); }
  void Refresh() override { window_.repaint(); }
  ui::WindowHandle hWnd() const override { return window_.winId(); }
  void Unload() override { window_.Unload(); }

  FormWindow& window() { return window_; }
  const FormWindow& window() const { return window_; }

 protected:
  QWidget& client() { return window_.client(); }
  // A control of the table by its name.
  template <class Widget>
  Widget& Control(std::string_view name) const {
    return controls_.template Get<Widget>(name);
  }

 private:
  FormWindow window_;
  FormControls controls_;  // declared after the window: the controls go first
};

}  // namespace qtfront
