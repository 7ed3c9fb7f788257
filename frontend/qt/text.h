// The program's texts cross into Qt here: 8-bit text in the system's code page inside, QString
// in the widgets.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qtfront {

inline QString ToQt(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

}  // namespace qtfront
