#include "model/sampling/population_rows.h"

#include <gtest/gtest.h>

#include "platform/temp_dir.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr int kMethCol = 3;
constexpr int kFreqCol = 4;

TEST(PopulationRowsTest, ReadsMethodAndFrequencyOfEveryPopulation) {
  TempDir dir;
  DataStore store;
  ASSERT_EQ(store.Open(dir.CopyIn(WOODTICK_TESTDATA "/mk/sample.tal", "sample.tal"), true),
            kStoreOk);
  const int slot = store.OpenAView("Tally", true);
  ASSERT_GE(slot, 0);

  const std::vector<PopulationRow> rows = ReadPopulationRows(store, slot, 3, kMethCol, kFreqCol);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].method, "C");
  EXPECT_EQ(rows[0].frequency, 1.0f);
  EXPECT_EQ(rows[1].method, "S");
  EXPECT_EQ(rows[1].frequency, 5.0f);
  EXPECT_EQ(rows[2].method, "R");
  EXPECT_EQ(rows[2].frequency, 0.25f);

  // A missing column (position -1) or a row beyond the view reads as "never a HIT".
  const std::vector<PopulationRow> missing = ReadPopulationRows(store, slot, 4, -1, -1);
  ASSERT_EQ(missing.size(), 4u);
  for (const PopulationRow& row : missing) {
    EXPECT_EQ(row.method, "");
    EXPECT_EQ(row.frequency, 0.0f);
  }
  EXPECT_EQ(ReadPopulationRows(store, slot, 4, kMethCol, kFreqCol)[3].frequency, 0.0f);
  store.Close(false);
}

}  // namespace
}  // namespace woodtick
