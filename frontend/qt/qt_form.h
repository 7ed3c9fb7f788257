// A view of the window logic carried by a FormWidget.
#pragma once

#include "form_widget.h"

namespace qtfront {

template <class View>
class QtForm : public View {
 public:
  explicit QtForm(const FormWidget::Description& description) : window_(description) {}

  ui::WindowState GetWindowState() const override { return window_.state(); }
  void SetWindowState(ui::WindowState state) override { window_.SetState(state); }
  bool IsVisible() const override { return window_.isVisible(); }
  void Show() override { window_.ShowNow(); }
  void Hide() override { window_.HideNow(); }
  void Refresh() override { window_.repaint(); }
  ui::WindowHandle hWnd() const override { return window_.winId(); }
  void Unload() override { window_.Unload(); }

  FormWidget& window() { return window_; }
  const FormWidget& window() const { return window_; }

 protected:
  QWidget& client() { return window_.client(); }

 private:
  FormWidget window_;
};

}  // namespace qtfront
