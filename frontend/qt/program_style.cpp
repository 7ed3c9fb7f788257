#include "program_style.h"

#include <QFont>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "text.h"
#include "ui/common/messages.h"

namespace qtfront {

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* return_data) const {
  if (hint == SH_LineEdit_PasswordCharacter) {
    return '*';
  }
  return QProxyStyle::styleHint(hint, option, widget, return_data);
}

void UseProgramLook(QApplication& application) {
  // The application takes the style over.
  application.setStyle(std::make_unique<ProgramStyle>().release());
  // Linux rarely has the Windows fonts; these look and measure closest among what it has.
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                             {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                              QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  QFont::insertSubstitutions(QStringLiteral("Verdana"),
                             {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

ProgramApplication::ProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {
  UseProgramLook(*this);
}

bool ProgramApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& failure) {
    QMessageBox::critical(activeWindow(), ToQt(ui::kApplicationTitle),
                          QStringLiteral("The program could not finish this step:\n\n") +
                              QString::fromLocal8Bit(failure.what()));
    return false;
  }
}

}  // namespace qtfront
