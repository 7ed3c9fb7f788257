// The program's texts cross into Qt here: 8-bit text in the system's code page inside, QString
// in the widgets.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qtfront {

// The system's code page here is UTF-8. A text that is not UTF-8 (a hosts line written on
// Windows, "caf\xE9") is read as Windows writes it, in code page 1252, so that it reads as it
// does in the Windows program rather than as replacement marks.
QString ToQt(std::string_view text);

// What the user typed, as the system's 8-bit text. No text shown through ToQt comes back this
// way: the list's rows are chosen by position, never by their text.
inline std::string FromQt(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

}  // namespace qtfront
