#include "model/table_definitions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace woodtick {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

TEST(TableListTest, RemovingANameRewritesTheListWithoutBlanks) {
  EXPECT_EQ(RemoveTableName("Alpha, Beta", "Alpha"), "Beta");
  EXPECT_EQ(RemoveTableName("Alpha, Beta, Gamma", "Beta"), "Alpha,Gamma");
  EXPECT_EQ(RemoveTableName("Alpha", "Alpha"), "");
  // Only a whole entry goes, never the tail or head of a longer name.
  EXPECT_EQ(RemoveTableName("OldPlots, Plots, PlotsB", "Plots"), "OldPlots,PlotsB");
  EXPECT_EQ(RemoveTableName("Alpha, Beta", "Gamma"), "Alpha,Beta");
}

TEST(TableListTest, EntriesAreTrimmedAndComparedWithCase) {
  EXPECT_EQ(AppendTableName("", "Alpha"), "Alpha");
  EXPECT_EQ(AppendTableName("Alpha", "Beta"), "Alpha, Beta");
  EXPECT_TRUE(TableListContains("Alpha, Beta", "Beta"));
  EXPECT_FALSE(TableListContains("Alpha, Beta", "beta"));
  EXPECT_FALSE(TableListContains("", ""));
  EXPECT_THAT(SplitTableList(" Alpha ,Beta,"), ElementsAre("Alpha", "Beta"));
  EXPECT_EQ(RemoveBlanks(" Al pha "), "Alpha");
  EXPECT_EQ(TrimBlanks(" \tUnit, Num \r\n"), "Unit, Num");
}

TEST(TableListTest, ColumnListsThatWouldBreakTheFileAreRefused) {
  EXPECT_EQ(CheckColumnList("Unit, Num, Label, Tree Height"), "");
  EXPECT_EQ(CheckColumnList("a, b, c, d, e, f"), "");
  EXPECT_THAT(CheckColumnList("a, b, c, d, e, f, g"), HasSubstr("at most 6 columns"));
  EXPECT_THAT(CheckColumnList(""), HasSubstr("at least one"));
  EXPECT_THAT(CheckColumnList("Unit,,Num"), HasSubstr("empty"));
  EXPECT_EQ(CheckColumnList("Unit, Num,"), "");  // a trailing comma ends the list
  EXPECT_THAT(CheckColumnList("Unit, Si[ze"), HasSubstr("[ ] or :"));
  EXPECT_THAT(CheckColumnList("Unit, a:b"), HasSubstr("[ ] or :"));
  // Names are matched without case and without blanks in the file.
  EXPECT_EQ(CheckColumnList("Tree Height, treeheight"),
            "The column name 'treeheight' is used twice.");
}

}  // namespace
}  // namespace woodtick
