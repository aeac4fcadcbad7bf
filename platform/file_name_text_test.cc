#include "platform/file_name_text.h"

#include <gtest/gtest.h>

namespace woodtick {
namespace {

TEST(FileNameTextTest, DecodesUtf8NamesAndKeepsLatin1Bytes) {
  EXPECT_EQ(FileNameText("plot 1.tal"), "plot 1.tal");
  // "five pops ü.tal" as UTF-8 shows its ü (0xFC in Windows-1252).
  EXPECT_EQ(FileNameText("five pops \xC3\xBC.tal"), "five pops \xFC.tal");
  EXPECT_EQ(FileNameText("\xE2\x82\xAC"), "\x80");  // the euro sign
  // A name in Latin-1 bytes is no valid UTF-8: each byte stands for itself.
  EXPECT_EQ(FileNameText("caf\xE9.tal"), "caf\xE9.tal");
  EXPECT_EQ(FileNameText("\xC3"), "\xC3");                  // cut short
  EXPECT_EQ(FileNameText("\xC0\xAF"), "\xC0\xAF");          // overlong "/"
  EXPECT_EQ(FileNameText("\xED\xA0\x80"), "\xED\xA0\x80");  // a surrogate
  // Characters Windows-1252 cannot hold.
  EXPECT_EQ(FileNameText("\xE6\x9E\x97.tal"), "?.tal");
  EXPECT_EQ(FileNameText("\xF0\x9F\x8C\xB2"), "?");
}

TEST(FileNameTextTest, BaseNameIsThePartAfterTheLastSlash) {
  EXPECT_EQ(BaseName("/data/plot.tal"), "plot.tal");
  EXPECT_EQ(BaseName("plot.tal"), "plot.tal");
  EXPECT_EQ(BaseName("/data/"), "");
}

}  // namespace
}  // namespace woodtick
