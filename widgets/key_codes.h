// Key codes as the tally logic sees them: the Windows virtual-key code of
// the key pressed, so a tally file behaves as it did on the original
// platform. Letters are upper case and digits themselves whatever the shift
// state; other keys give their virtual-key codes (Enter 13, Escape 27,
// Space 32, arrows 37 to 40 ...).
#pragma once

#include <Qt>

class QKeyEvent;

namespace woodtick {

// 0 for a key that has no virtual-key code here.
int VirtualKeyCode(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int VirtualKeyCode(const QKeyEvent& event);

}  // namespace woodtick
