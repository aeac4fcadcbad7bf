#include "widgets/text.h"

#include <gtest/gtest.h>

namespace woodtick {
namespace {

TEST(TextTest, EveryByteComesBackUnchanged) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString wide = ToQString(all);
  EXPECT_EQ(wide.size(), 255);
  EXPECT_EQ(FromQString(wide), all);
}

TEST(TextTest, WindowsCharactersMapToTheirUnicode) {
  EXPECT_EQ(ToQString("\x80"), QString(QChar(0x20AC)));  // euro sign
  EXPECT_EQ(ToQString("\x93"
                      "a\x94"),
            QString::fromUtf8("\u201Ca\u201D"));
  EXPECT_EQ(ToQString("Sm\xF6rg"), QString::fromUtf8("Sm\u00F6rg"));
  EXPECT_EQ(FromQString(QString::fromUtf8("\u2014\u0153")), "\x97\x9C");
}

TEST(TextTest, UnmappableCharactersBecomeOneQuestionMarkEach) {
  EXPECT_EQ(FromQString(QString::fromUtf8("a\u4E2Db")), "a?b");
  EXPECT_EQ(FromQString(QString::fromUtf8("x\U0001F332y")), "x?y");  // surrogate pair
  EXPECT_EQ(FromQString(QString()), "");
}

}  // namespace
}  // namespace woodtick
