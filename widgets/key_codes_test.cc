#include "widgets/key_codes.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace woodtick {
namespace {

TEST(KeyCodesTest, LettersAreUpperCaseAndDigitsThemselvesWhateverTheShift) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_A), 'A');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Z, Qt::ShiftModifier), 'Z');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_7), '7');
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Ampersand, Qt::ShiftModifier), '7');
}

TEST(KeyCodesTest, OtherKeysGiveTheirVirtualKeyCodes) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Return), 13);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Enter, Qt::KeypadModifier), 13);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Escape), 27);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Space), 32);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Left), 37);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Up), 38);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Right), 39);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Down), 40);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_F1), 112);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Semicolon), 186);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Tab), 9);
}

TEST(KeyCodesTest, KeypadKeysHaveCodesOfTheirOwn) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_0, Qt::KeypadModifier), 96);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_9, Qt::KeypadModifier), 105);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Plus, Qt::KeypadModifier), 107);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Left, Qt::KeypadModifier), 37);
}

TEST(KeyCodesTest, KeysWithoutACodeGiveZero) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_VolumeUp), 0);
  QKeyEvent event(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
  EXPECT_EQ(VirtualKeyCode(event), 'B');
}

}  // namespace
}  // namespace woodtick
