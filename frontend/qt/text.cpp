#include "text.h"

#include <QByteArrayView>
#include <array>

namespace qtfront {

namespace {

// Code page 1252's bytes 0x80 to 0x9F; the rest of its upper half is Latin-1. The five bytes
// it leaves unassigned stand for the control characters of the same number, as Windows reads
// them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString ToQt(std::string_view text) {
  const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
  if (bytes.isValidUtf8()) {
    return QString::fromUtf8(bytes);
  }
  QString read;
  read.reserve(bytes.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    read.append(QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80]
                                                  : static_cast<char16_t>(byte)));
  }
  return read;
}

}  // namespace qtfront
