#include "app/common/text.h"

#include "model/windows1252.h"

namespace woodtick {
namespace {

// The byte of a character, or -1 when Windows-1252 has none.
int ByteOf(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int byte = 0x80; byte < 0xA0; ++byte) {
    if (Windows1252Character(static_cast<unsigned char>(byte)) == c) return byte;
  }
  return -1;
}

char ToByte(char16_t c) {
  const int byte = ByteOf(c);
  return byte < 0 ? '?' : static_cast<char>(byte);
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

bool FitsTallyFile(const QString& text) {
  for (QChar c : text) {
    if (c.isSurrogate() || ByteOf(c.unicode()) < 0) return false;
  }
  return true;
}

QValidator::State TallyTextValidator::validate(QString& input, int& /*pos*/) const {
  return FitsTallyFile(input) ? Acceptable : Invalid;
}

}  // namespace woodtick
