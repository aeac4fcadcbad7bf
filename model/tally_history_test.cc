#include "model/tally_history.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mk/storage.h"
#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

class TallyHistoryTest : public ModelTest {
 protected:
  std::string BuildCrew() {
    return Build("crew.tal", {.num_units = 2,
                              .populations = {{.key = "A", .label = "Ash", .meth = " "},
                                              {.key = "B", .label = "Birch", .dat_table = "Trees"}},
                              .tables = {{.name = "Trees", .columns = {"Unit", "Num"}}}});
  }
  void At(int minute) { clock_.Set({2005, 5, 3, 9, minute, 7, -300}); }
};

TEST(IsoLocalTimeTest, CarriesItsOffsetFromUtc) {
  EXPECT_EQ(IsoLocalTime({2005, 5, 3, 9, 5, 0, 120}), "2005-05-03T09:05:00+02:00");
  EXPECT_EQ(IsoLocalTime({2024, 12, 31, 23, 59, 59, -570}), "2024-12-31T23:59:59-09:30");
}

TEST_F(TallyHistoryTest, TalliesTakeBacksAndResetsAreKeptInOrderWithTheirTimes) {
  std::string path = BuildCrew();
  TallyModel& model = Open(path);
  At(1);
  Press("A");
  At(2);
  Press("B");  // a HIT: its record is row 0 of Trees
  model.tallying().SetCurrentUnit("002");
  At(3);
  Press("B");
  At(4);
  ASSERT_TRUE(model.untally().TakeBack(1, model.untally().Entries()[1]));
  At(5);
  ASSERT_TRUE(model.utilities().ResetCountersCommand());
  Rows buffer = DiskRows(path, "Buffer");
  EXPECT_EQ(buffer.size(), 0u);  // the Buffer is emptied by the reset, as ever
  EXPECT_THAT(DiskRows(path, kHistoryView),
              ElementsAre(ElementsAre("2005-05-03T09:01:07-05:00", "Tally", "1", "A", "0", "-1"),
                          ElementsAre("2005-05-03T09:02:07-05:00", "Tally", "1", "B", "1", "0"),
                          ElementsAre("2005-05-03T09:03:07-05:00", "Tally", "2", "B", "1", "1"),
                          ElementsAre("2005-05-03T09:04:07-05:00", "Untally", "1", "B", "1", "0"),
                          ElementsAre("2005-05-03T09:05:07-05:00", "Reset", "0", "", "0", "-1")));
}

TEST_F(TallyHistoryTest, AnOlderFileOpensAsItWasAndGetsTheHistoryWhenNextWritten) {
  std::string path = BuildCrew();
  {
    std::unique_ptr<mk::Storage> storage;
    ASSERT_TRUE(mk::Storage::Open(path, &storage, &memory_env_.disk()).ok());
    storage->GetAs(kHistoryView);  // a name alone removes the view
    ASSERT_TRUE(storage->Commit().ok());
  }
  ASSERT_TRUE(DiskColumns(path, kHistoryView).empty());
  Open(path);
  Press("A");
  EXPECT_THAT(DiskColumns(path, kHistoryView),
              ElementsAre("Time", "Event", "Unit", "Key", "Measured", "Record"));
  EXPECT_EQ(DiskRows(path, kHistoryView).size(), 1u);
  EXPECT_THAT(DiskColumns(path, "Buffer"), ElementsAre("Unit", "Key", "Mark"));
  ui_.template_names.push_back("fresh");
  ASSERT_TRUE(model_->templates().CreateTemplate());
  EXPECT_TRUE(DiskRows(File("fresh.tal"), kHistoryView).empty());
  EXPECT_FALSE(DiskColumns(File("fresh.tal"), kHistoryView).empty());
}

}  // namespace
}  // namespace woodtick
