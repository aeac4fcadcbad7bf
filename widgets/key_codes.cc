#include "widgets/key_codes.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <unordered_map>

namespace woodtick {
namespace {

// Keys whose code does not follow from a range.
const std::unordered_map<int, int>& FixedCodes() {
  static const std::unordered_map<int, int> codes = {
      {Qt::Key_Return, 13},
      {Qt::Key_Enter, 13},
      {Qt::Key_Escape, 27},
      {Qt::Key_Space, 32},
      {Qt::Key_Left, 37},
      {Qt::Key_Up, 38},
      {Qt::Key_Right, 39},
      {Qt::Key_Down, 40},
      // Shifted digits of the US layout are still their digit keys.
      {Qt::Key_Exclam, '1'},
      {Qt::Key_At, '2'},
      {Qt::Key_NumberSign, '3'},
      {Qt::Key_Dollar, '4'},
      {Qt::Key_Percent, '5'},
      {Qt::Key_AsciiCircum, '6'},
      {Qt::Key_Ampersand, '7'},
      {Qt::Key_Asterisk, '8'},
      {Qt::Key_ParenLeft, '9'},
      {Qt::Key_ParenRight, '0'}};
  return codes;
}

}  // namespace

int VirtualKeyCode(int qt_key, Qt::KeyboardModifiers modifiers) {
  if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return 'A' + (qt_key - Qt::Key_A);
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return '0' + (qt_key - Qt::Key_0);
  // The keypad's own symbols (* + - . /) are not the US layout's shifted digits.
  if (modifiers & Qt::KeypadModifier) {
    if (qt_key != Qt::Key_Enter && qt_key != Qt::Key_Left && qt_key != Qt::Key_Up &&
        qt_key != Qt::Key_Right && qt_key != Qt::Key_Down) {
      return kInvalidKeyCode;
    }
  }
  const auto& codes = FixedCodes();
  auto it = codes.find(qt_key);
  return it == codes.end() ? kInvalidKeyCode : it->second;
}

int VirtualKeyCode(const QKeyEvent& event) {
  return VirtualKeyCode(event.key(), event.modifiers());
}

QString KeyName(int qt_key, Qt::KeyboardModifiers modifiers) {
  QString name = qt_key == Qt::Key_unknown || qt_key == 0
                     ? QString()
                     : QKeySequence(qt_key).toString(QKeySequence::PortableText);
  if (name.isEmpty() || !name.at(0).isPrint()) name = QStringLiteral("Unknown");
  if (modifiers & Qt::KeypadModifier) name.prepend(QStringLiteral("Keypad "));
  return name;
}

QString KeyName(const QKeyEvent& event) { return KeyName(event.key(), event.modifiers()); }

}  // namespace woodtick
