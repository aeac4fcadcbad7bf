#include "widgets/text.h"

#include <QFile>

#include "platform/windows_1252.h"

namespace woodtick {

QString ToQString(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char ch : text) {
    out.append(QChar(static_cast<char16_t>(Windows1252ToUnicode(static_cast<unsigned char>(ch)))));
  }
  return out;
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) {
    if (c.isLowSurrogate()) continue;  // a pair stands for one character
    out.push_back(c.isHighSurrogate() ? '?' : UnicodeToWindows1252(c.unicode()));
  }
  return out;
}

std::string ToFileName(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString FromFileName(const std::string& path) { return QFile::decodeName(path.c_str()); }

bool FitsTallyFile(const QString& text) {
  for (QChar c : text) {
    if (c.isSurrogate() || Windows1252ByteOf(c.unicode()) < 0) return false;
  }
  return true;
}

QValidator::State TallyTextValidator::validate(QString& input, int& /*pos*/) const {
  return FitsTallyFile(input) ? Acceptable : Invalid;
}

}  // namespace woodtick
