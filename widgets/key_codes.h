// Key codes as the tally logic sees them: one character per key pressed.
// Letters are upper case and digits themselves, on the main row and the
// numeric keypad alike and whatever the shift state. Enter (13), Escape
// (27), Space (32) and the arrows (37 to 40) keep their platform codes;
// every other key, function keys included, gives kInvalidKeyCode.
#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;

namespace woodtick {

// A code no hot key can have (a population whose Key is empty is never
// tallied), so the key is an invalid key.
inline constexpr int kInvalidKeyCode = 0;

int VirtualKeyCode(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int VirtualKeyCode(const QKeyEvent& event);

// The key as a person reads it on the keyboard: "F5", "Space", "Esc",
// "Keypad +", "Z"; never a control character.
QString KeyName(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
QString KeyName(const QKeyEvent& event);

}  // namespace woodtick
