#include <gtest/gtest.h>

#include "store/data_store.h"
#include "store/store_test_util.h"

namespace woodtick {
namespace {

class DataStoreCellsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.CopyIn(Fixture("sample.tal"), "sample.tal");
    ASSERT_EQ(store_.Open(path_, false), kStoreOk);
    tally_ = store_.OpenAView("Tally", false);
    trees_ = store_.OpenAView("Trees", false);
    ASSERT_GE(tally_, 0);
    ASSERT_GE(trees_, 0);
  }

  TempDir dir_;
  std::string path_;
  RecordingReporter reporter_;
  DataStore store_{&reporter_};
  int tally_ = -1;
  int trees_ = -1;
};

TEST_F(DataStoreCellsTest, ReadsAndWritesThroughSlots) {
  std::string text;
  ASSERT_EQ(store_.GetString(tally_, 2, 4, &text), kStoreOk);
  EXPECT_EQ(text, "0.25");
  int32_t number = 0;
  ASSERT_EQ(store_.GetLong(tally_, 1, 6, &number), kStoreOk);
  EXPECT_EQ(number, 10);
  float real = 0;
  ASSERT_EQ(store_.GetFloat(trees_, 2, 3, &real), kStoreOk);
  EXPECT_EQ(real, 27.25f);

  ASSERT_EQ(store_.SetInt(tally_, 1, 6, number + 1), kStoreOk);
  ASSERT_EQ(store_.SetString(tally_, 1, 4, "7.5"), kStoreOk);
  ASSERT_EQ(store_.Commit(), kStoreOk);
  Rows rows = FileRows(path_, "Tally");
  EXPECT_EQ(rows[1][6], "11");
  EXPECT_EQ(rows[1][4], "7.5");
}

TEST_F(DataStoreCellsTest, AddressesOutsideTheViewFailAndTouchNothing) {
  std::string text = "stale";
  int32_t number = 9;
  EXPECT_EQ(store_.GetString(tally_, 3, 0, &text), kStoreBadAddress);
  EXPECT_EQ(text, "");
  EXPECT_EQ(store_.GetInt(tally_, 0, 12, &number), kStoreBadAddress);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(store_.GetString(DataStore::kNumSlots, 0, 0, &text), kStoreBadAddress);
  EXPECT_EQ(store_.GetString(-1, 0, 0, &text), kStoreBadAddress);
  EXPECT_EQ(store_.GetString(20, 0, 0, &text), kStoreEmptySlot);
  EXPECT_EQ(store_.SetString(tally_, -1, 0, "x"), kStoreBadAddress);
  EXPECT_EQ(store_.SetInt(tally_, 0, -1, 1), kStoreBadAddress);
  EXPECT_EQ(store_.SetInt(20, 0, 0, 1), kStoreEmptySlot);
  EXPECT_EQ(store_.AddRow(20, -1), kStoreEmptySlot);
  EXPECT_EQ(store_.AddRow(tally_, 3), kStoreBadAddress);
  EXPECT_EQ(store_.AddRow(99, -1), kStoreBadAddress);
  ASSERT_EQ(store_.Commit(), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Tally"), FileRows(Fixture("sample.tal"), "Tally"));
  EXPECT_TRUE(reporter_.internal_errors.empty());
}

TEST_F(DataStoreCellsTest, AddRowInsertsAfterTheRowOrAppends) {
  int buffer = store_.OpenAView("Buffer", false);
  EXPECT_EQ(store_.AddRow(buffer, -1), 0);
  EXPECT_EQ(store_.AddRow(buffer, -1), 1);

  std::string former_row4;
  store_.GetString(trees_, 4, 5, &former_row4);
  EXPECT_EQ(store_.AddRow(trees_, 3), 4);
  std::string text;
  store_.GetString(trees_, 5, 5, &text);
  EXPECT_EQ(text, former_row4);
  store_.GetString(trees_, 4, 2, &text);
  EXPECT_EQ(text, "");  // the new row is empty
  EXPECT_EQ(store_.AddRow(trees_, 0), 1);
  EXPECT_EQ(store_.AddRow(trees_, -1), 8);
  EXPECT_EQ(store_.View(trees_).GetSize(), 9);
}

TEST_F(DataStoreCellsTest, AddRowOnASelectionAppendsToItsBase) {
  int sel = store_.OpenSelection("Trees", "Num", "Unit=002", "", "");
  ASSERT_GE(sel, 0);
  ASSERT_EQ(store_.View(sel).GetSize(), 2);
  int row = store_.AddRow(sel, 0);
  EXPECT_EQ(row, 6);
  EXPECT_EQ(store_.View(trees_).GetSize(), 7);
  EXPECT_EQ(store_.SetString(trees_, row, 0, "002"), kStoreOk);
}

}  // namespace
}  // namespace woodtick
