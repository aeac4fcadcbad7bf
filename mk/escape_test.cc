// Escaping for the dump and for messages.
#include "mk/escape.h"

#include <string>

#include "gtest/gtest.h"

namespace mk {
namespace {

bool Printable(const std::string& s) {
  for (char c : s) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

TEST(EscapeTest, QuotesArePrintableShortAndNeverCutAnEscape) {
  EXPECT_EQ(Quoted("Trees[Unit:S]"), "'Trees[Unit:S]'");
  EXPECT_EQ(Quoted("a\tb\\c\xFC"), "'a\\x09b\\x5Cc\\xFC'");
  EXPECT_EQ(Quoted(""), "''");
  std::string exact(60, 'n');
  EXPECT_EQ(Quoted(exact), "'" + exact + "'");
  EXPECT_EQ(Quoted(exact + "n"), "'" + exact + "...'");
  // 59 plain bytes leave no room for a 4-byte escape.
  std::string cut = Quoted(std::string(59, 'n') + "\x01\x02");
  EXPECT_EQ(cut, "'" + std::string(59, 'n') + "...'");
  std::string huge = Quoted(std::string(1 << 20, '\x1b'));
  EXPECT_TRUE(Printable(huge));
  EXPECT_LE(huge.size(), 60u + 5u);
  EXPECT_EQ(huge.substr(0, 9), "'\\x1B\\x1B");
}

TEST(EscapeTest, DumpEscapesOnlyTheBytesItIsGiven) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string out;
  AppendEscaped(all, "[]{}|", &out);
  EXPECT_TRUE(Printable(out));
  // 0x20-0x7E less the backslash and the five extras stay as they are.
  EXPECT_EQ(out.size(), 89u + 167u * 4u);
  out.clear();
  AppendEscaped("[a|b]", "", &out);
  EXPECT_EQ(out, "[a|b]");
}

}  // namespace
}  // namespace mk
