// The lock window, frmLock, in Qt: the length box, the end it gives, the box for time off, and
// Lock and Cancel, shown modally over the main window.
#pragma once

#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>

#include "form.h"
#include "ui/common/forms.h"
#include "ui/lock/lock_view.h"

namespace qtfront {

class LockWindow final : public Form<ui::LockView> {
 public:
  // `owner`: the main window, which takes no input while this one is open; may be null.
  LockWindow(ui::Forms& forms, QWidget* owner);

  std::string LengthText() const override;
  bool CountOnlyOn() const override;
  void SetEndsText(std::string_view text) override;
  void ShowModal() override;
  void Unload() override;

 private:
  // Enter and Esc that no control of the window took, as a dialog's default and cancel buttons
  // take them.
  class DialogKeys final : public QObject {
   public:
    explicit DialogKeys(LockWindow& window) : window_(window) {}

   protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    LockWindow& window_;
  };

  template <class Handler>
  void Raise(Handler handler);

  ui::Forms& forms_;
  QLineEdit& length_;
  QLabel& ends_;
  QCheckBox& count_only_on_;
  QPushButton& lock_;
  DialogKeys dialog_keys_{*this};
  QEventLoop* modal_loop_ = nullptr;  // while ShowModal waits
};

}  // namespace qtfront
