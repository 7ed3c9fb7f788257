// Key-down events of one control, as the window logic takes them: the key code of the Windows
// keyboard (13 for Enter) and the shift state (Shift 1, Ctrl 2, Alt 4). The key goes on to the
// control as usual.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

namespace qtfront {

class KeyDownFilter final : public QObject {
 public:
  using Handler = std::function<void(std::int16_t key_code, std::int16_t shift)>;

  explicit KeyDownFilter(Handler handler) : handler_(std::move(handler)) {}
  void Watch(QObject& control) { control.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Handler handler_;
};

// The Windows key code of a Qt key; 0 for keys the program has no use for.
std::int16_t WindowsKeyCode(int qt_key);
std::int16_t ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace qtfront
