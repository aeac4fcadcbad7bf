#include "store/cell_value.h"

#include <gtest/gtest.h>

#include "store/data_store.h"

namespace woodtick {
namespace {

// One row of every column type the store knows, and a bytes column it does not.
mk::View Cells() {
  mk::View view = mk::View::FromDescription("d:D,f:F,i:I,l:L,s:S,b:B");
  view.InsertEmptyRowsAt(0);
  return view;
}
enum { kD, kF, kI, kL, kS, kB };

int32_t IntOf(const mk::View& view, int col) {
  int32_t value = -99;
  EXPECT_EQ(ReadCellInt(view, 0, col, &value), kStoreOk);
  return value;
}
std::string TextOf(const mk::View& view, int col) {
  std::string text;
  EXPECT_EQ(ReadCellText(view, 0, col, &text), kStoreOk);
  return text;
}
float FloatOf(const mk::View& view, int col) {
  float value = -99;
  EXPECT_EQ(ReadCellFloat(view, 0, col, &value), kStoreOk);
  return value;
}

TEST(CellValueTest, RealsReadAsRoundedIntegersAndShortTexts) {
  mk::View view = Cells();
  struct Case {
    double value;
    int32_t as_int;
    const char* as_text;
  };
  for (const Case& c : {Case{2.5, 3, "2.5"}, Case{-2.7, -2, "-2.7"}, Case{-0.4, 0, "-0.4"},
                        Case{0.1, 0, "0.1"}, Case{1234567.891, 1234568, "1234567.891"}}) {
    view.SetDouble(0, kD, c.value);
    EXPECT_EQ(IntOf(view, kD), c.as_int) << c.value;
    EXPECT_EQ(TextOf(view, kD), c.as_text);
    EXPECT_EQ(FloatOf(view, kD), static_cast<float>(c.value));
  }
  view.SetFloat(0, kF, 1.5f);
  EXPECT_EQ(TextOf(view, kF), "1.5");
  EXPECT_EQ(IntOf(view, kF), 2);
  EXPECT_EQ(FloatOf(view, kF), 1.5f);
}

TEST(CellValueTest, IntegersLongsAndTextsRead) {
  mk::View view = Cells();
  view.SetInt(0, kI, -123);
  EXPECT_EQ(TextOf(view, kI), "-123");
  EXPECT_EQ(FloatOf(view, kI), -123.0f);
  // Longs read into 32 bits keep their low 32 bits; as text, the whole value.
  view.SetLong(0, kL, (int64_t{1} << 32) + 5);
  EXPECT_EQ(IntOf(view, kL), 5);
  EXPECT_EQ(TextOf(view, kL), "4294967301");
  view.SetLong(0, kL, -6000000000);
  ASSERT_EQ(WriteCellText(view, 0, kL, TextOf(view, kL)), kStoreOk);  // as an editor saves it
  EXPECT_EQ(view.GetLong(0, kL), -6000000000);
  view.SetLong(0, kL, -1);
  EXPECT_EQ(TextOf(view, kL), "-1");
  EXPECT_EQ(FloatOf(view, kL), -1.0f);

  view.SetString(0, kS, " 42abc");
  EXPECT_EQ(IntOf(view, kS), 42);
  EXPECT_EQ(TextOf(view, kS), " 42abc");
  view.SetString(0, kS, "3.5e1x");
  EXPECT_EQ(FloatOf(view, kS), 35.0f);
  EXPECT_EQ(IntOf(view, kS), 3);
  view.SetString(0, kS, "abc");
  EXPECT_EQ(IntOf(view, kS), 0);
  EXPECT_EQ(FloatOf(view, kS), 0.0f);
}

TEST(CellValueTest, WritesConvertToTheColumnsType) {
  mk::View view = Cells();
  ASSERT_EQ(WriteCellText(view, 0, kI, "12.9"), kStoreOk);
  EXPECT_EQ(view.GetInt(0, kI), 12);
  ASSERT_EQ(WriteCellText(view, 0, kS, " 12.9 "), kStoreOk);
  EXPECT_EQ(view.GetString(0, kS), " 12.9 ");
  ASSERT_EQ(WriteCellText(view, 0, kD, "12.9"), kStoreOk);
  EXPECT_EQ(view.GetDouble(0, kD), 12.9);
  ASSERT_EQ(WriteCellText(view, 0, kF, "0.1"), kStoreOk);
  EXPECT_EQ(view.GetFloat(0, kF), 0.1f);
  ASSERT_EQ(WriteCellText(view, 0, kL, "-6000000000"), kStoreOk);
  EXPECT_EQ(view.GetLong(0, kL), -6000000000);

  ASSERT_EQ(WriteCellInt(view, 0, kS, 7), kStoreOk);
  EXPECT_EQ(view.GetString(0, kS), "7");
  ASSERT_EQ(WriteCellInt(view, 0, kL, -5), kStoreOk);
  EXPECT_EQ(view.GetLong(0, kL), -5);  // sign-extended
  ASSERT_EQ(WriteCellInt(view, 0, kD, 3), kStoreOk);
  EXPECT_EQ(view.GetDouble(0, kD), 3.0);
  ASSERT_EQ(WriteCellInt(view, 0, kF, 4), kStoreOk);
  EXPECT_EQ(view.GetFloat(0, kF), 4.0f);
}

TEST(CellValueTest, UnsupportedColumnsAndCellsOutsideTheViewTouchNothing) {
  mk::View view = Cells();
  view.SetBytes(0, kB, "raw");
  std::string text = "unchanged";
  EXPECT_EQ(ReadCellText(view, 0, kB, &text), kStoreUnsupported);
  EXPECT_EQ(text, "unchanged");
  int32_t number = 5;
  EXPECT_EQ(ReadCellInt(view, 0, kB, &number), kStoreUnsupported);
  EXPECT_EQ(number, 0);
  float real = 5;
  EXPECT_EQ(ReadCellFloat(view, 0, kB, &real), kStoreUnsupported);
  EXPECT_EQ(real, 0.0f);
  EXPECT_EQ(WriteCellText(view, 0, kB, "x"), kStoreUnsupported);
  EXPECT_EQ(WriteCellInt(view, 0, kB, 1), kStoreUnsupported);
  EXPECT_EQ(view.GetBytes(0, kB), "raw");

  EXPECT_EQ(ReadCellText(view, 1, kS, &text), kStoreBadAddress);
  EXPECT_EQ(ReadCellInt(view, -1, kI, &number), kStoreBadAddress);
  EXPECT_EQ(ReadCellFloat(view, 0, 6, &real), kStoreBadAddress);
  EXPECT_EQ(WriteCellText(view, 0, -1, "x"), kStoreBadAddress);
  EXPECT_EQ(WriteCellInt(view, 1, kI, 1), kStoreBadAddress);
  EXPECT_EQ(view.GetSize(), 1);
}

}  // namespace
}  // namespace woodtick
