#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

class UtilitiesTest : public ModelTest {
 protected:
  TallyModel& OpenStand() {
    path_ = Build(
        "stand.tal",
        {.num_units = 2,
         .populations = {{.key = "A", .label = "Aspen", .dat_table = "Trees"},
                         {.key = "B", .label = "Birch", .meth = " "}},
         .tables = {
             {.name = "Trees", .columns = {"Unit", "Num"}, .rows = {{"001", "1"}, {"001", "2"}}}}});
    TallyModel& model = Open(path_);
    Press("AB");
    model.tallying().SetCurrentUnit("002");
    Press("B");
    return model;
  }
  // The unit count and hit cells of every population, as on disk.
  std::vector<std::string> DiskCounters() {
    std::vector<std::string> cells;
    for (const auto& row : DiskRows(path_, "Tally")) {
      cells.insert(cells.end(), row.begin() + 6, row.end());
    }
    return cells;
  }

  std::string path_;
};

TEST_F(UtilitiesTest, ResetCountersZeroesEveryUnitAndEmptiesTheBuffer) {
  TallyModel& model = OpenStand();
  ui_.answers = {MessageAnswer::kNo};
  EXPECT_FALSE(model.utilities().ResetCountersCommand());
  EXPECT_EQ(ui_.messages.back().text, "Are you sure you want to reset all the counters?");
  EXPECT_EQ(ui_.messages.back().title, "CONFIRM RESET");
  EXPECT_EQ(ui_.messages.back().buttons, MessageButtons::kYesNo);
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);
  EXPECT_EQ(DiskLog(path_).back(), "Tally File Opened");

  EXPECT_TRUE(model.utilities().ResetCountersCommand());
  EXPECT_THAT(DiskCounters(), Each(std::string("0")));
  EXPECT_TRUE(DiskRows(path_, "Buffer").empty());
  Rows log = DiskRows(path_, "MessageLog");
  EXPECT_EQ(log.back()[1], "Counters Reset");
  EXPECT_EQ(log.back()[4], "A");
  EXPECT_EQ(ui_.messages.back().text, "Counters Reset");
  EXPECT_EQ(ui_.messages.back().title, "Woodtick");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kInformation);
  EXPECT_EQ(DiskRows(path_, "Trees").size(), 3u);  // records stay
  EXPECT_FALSE(ui_.busy_during_message);
}

TEST_F(UtilitiesTest, ClearDataTablesKeepsColumnsAndCounters) {
  TallyModel& model = OpenStand();
  std::vector<std::string> counters = DiskCounters();
  EXPECT_TRUE(model.utilities().ClearDataTablesCommand());
  EXPECT_EQ(ui_.messages[0].text, "Are you sure you want to clear all the data tables?");
  EXPECT_EQ(ui_.messages[0].title, "CONFIRM");
  EXPECT_EQ(ui_.messages.back().text, "Data Tables Cleared");
  EXPECT_EQ(ui_.messages.back().title, "");
  EXPECT_TRUE(DiskRows(path_, "Trees").empty());
  EXPECT_THAT(DiskColumns(path_, "Trees"), ElementsAre("Unit", "Num"));
  EXPECT_EQ(DiskCounters(), counters);
  EXPECT_EQ(DiskLog(path_).back(), "Data Tables Cleared");
}

TEST_F(UtilitiesTest, ClearMessageLogLeavesOneEntry) {
  TallyModel& model = OpenStand();
  ASSERT_TRUE(
      model.utilities().ExportCsv());  // written to the memory machine, as the tally file is
  ui_.answers = {MessageAnswer::kNo};
  EXPECT_FALSE(model.utilities().ClearMessageLogCommand());
  EXPECT_EQ(model.utilities().MessageLogLine(), "Message Log contains 2 records");
  EXPECT_TRUE(model.utilities().ClearMessageLogCommand());
  EXPECT_EQ(ui_.messages.back().text, "Message Log Cleared");
  EXPECT_THAT(DiskLog(path_), ElementsAre("Message Log Cleared"));
  EXPECT_EQ(model.utilities().MessageLogLine(), "Message Log contains 1 records");
  EXPECT_STREQ(Utilities::kMessageLogClearedLine, "Message Log contains 1 record");
}

}  // namespace
}  // namespace woodtick
