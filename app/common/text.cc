#include "app/common/text.h"

#include "model/windows1252.h"

namespace woodtick {
namespace {

char ToByte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int byte = 0x80; byte < 0xA0; ++byte) {
    if (Windows1252Character(static_cast<unsigned char>(byte)) == c) return static_cast<char>(byte);
  }
  return '?';
}

}  // namespace

QString ToQString(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char ch : text) {
    out.append(QChar(Windows1252Character(static_cast<unsigned char>(ch))));
  }
  return out;
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) {
    if (c.isLowSurrogate()) continue;  // a pair stands for one character
    out.push_back(c.isHighSurrogate() ? '?' : ToByte(c.unicode()));
  }
  return out;
}

}  // namespace woodtick
