// Key codes as the tally logic sees them: the numbers a tally file stores
// its hot keys as, one per key, so a file means the same keys on every
// system. Letters are their upper case and digits themselves whatever the
// shift state; other keys have fixed codes (Enter 13, Escape 27, Space 32,
// arrows 37 to 40 ...), punctuation by its key on the US layout.
#pragma once

#include <Qt>

class QKeyEvent;

namespace woodtick {

// 0 for a key that has no virtual-key code here.
int VirtualKeyCode(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int VirtualKeyCode(const QKeyEvent& event);

}  // namespace woodtick
