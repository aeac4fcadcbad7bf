#include "widgets/key_codes.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace woodtick {
namespace {

TEST(KeyCodesTest, LettersAndDigitsAreThemselvesOnTheMainRowAndTheKeypad) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_A), 'A');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Z, Qt::ShiftModifier), 'Z');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_7), '7');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Ampersand, Qt::ShiftModifier), '7');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_0, Qt::KeypadModifier), '0');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_1, Qt::KeypadModifier), '1');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_9, Qt::KeypadModifier), '9');
  QKeyEvent event(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
  EXPECT_EQ(VirtualKeyCode(event), 'B');
}

TEST(KeyCodesTest, EnterEscapeSpaceAndArrowsKeepTheirCodes) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Return), 13);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Enter, Qt::KeypadModifier), 13);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Escape), 27);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Space), 32);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Left), 37);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Up), 38);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Right), 39);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Down, Qt::KeypadModifier), 40);
}

TEST(KeyCodesTest, EveryOtherKeyIsAnInvalidKey) {
  // F1 and F5 once gave the codes of P and T; the keypad's * and + those of j and k.
  for (int key :
       {int(Qt::Key_F1), int(Qt::Key_F5), int(Qt::Key_F12), int(Qt::Key_Tab),
        int(Qt::Key_Semicolon), int(Qt::Key_Delete), int(Qt::Key_Shift), int(Qt::Key_VolumeUp)}) {
    EXPECT_EQ(VirtualKeyCode(key), kInvalidKeyCode) << key;
  }
  for (int key : {int(Qt::Key_Asterisk), int(Qt::Key_Plus), int(Qt::Key_Home)}) {
    EXPECT_EQ(VirtualKeyCode(key, Qt::KeypadModifier), kInvalidKeyCode) << key;
  }
}

}  // namespace
}  // namespace woodtick
