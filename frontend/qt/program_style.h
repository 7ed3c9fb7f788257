// What every window of the program shares beyond its own controls: password boxes that show
// "*", and stand-ins for the fonts of the tables where they are not installed.
#pragma once

#include <QApplication>
#include <QProxyStyle>

#include "runtime_folder.h"

namespace qtfront {

class ProgramStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                const QWidget* widget = nullptr,
                QStyleHintReturn* return_data = nullptr) const override;
};

// Sets the program's style and font stand-ins on `application`; call before any window exists.
void UseProgramLook(QApplication& application);

// The program's QApplication: an exception that escapes a handler is shown to the user instead
// of unwinding through Qt's event loop. Its runtime folder is there before Qt starts and goes
// after Qt has ended.
class ProgramApplication final : private RuntimeFolder, public QApplication {
 public:
  ProgramApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace qtfront
