#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

class SettingsTest : public ModelTest {
 protected:
  // Counts of population `row` as stored in the model's Tally view.
  std::string Cell(int row, const std::string& column) {
    int col = model_->store()->View(model_->tally_slot()).FindPropIndexByName(column);
    std::string text;
    model_->store()->GetString(model_->tally_slot(), row, col, &text);
    return col < 0 ? "<none>" : text;
  }
  void SetCell(int row, const std::string& column, int value) {
    int col = model_->store()->View(model_->tally_slot()).FindPropIndexByName(column);
    model_->store()->SetInt(model_->tally_slot(), row, col, value);
  }
  std::string Setting(const std::string& path, const std::string& key) {
    for (const auto& row : DiskRows(path, "Globals")) {
      if (row[1] == key) return row[2];
    }
    return "<none>";
  }
  // The model of a two-unit file at `path` refuses `units` with a box
  // titled `title` and changes nothing, in memory or in the file.
  void ExpectUnitsRefused(const std::string& path, const std::string& units,
                          const std::string& title) {
    Rows dictionary = DiskRows(path, "DataDictionary");
    std::vector<std::string> columns = DiskColumns(path, "Tally");
    EXPECT_FALSE(model_->SetNumberOfUnits(units));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, title);
    EXPECT_FALSE(ui_.busy_during_message);
    EXPECT_EQ(model_->settings().num_units(), 2);
    EXPECT_EQ(Setting(path, "NumUnits"), "2");
    EXPECT_EQ(DiskRows(path, "DataDictionary"), dictionary);
    EXPECT_EQ(DiskColumns(path, "Tally"), columns);
  }
};

TEST_F(SettingsTest, ReducingFiveUnitsToThreeMovesTheCurrentUnitAndKeepsCounts) {
  std::string path = Build("five.tal", {.num_units = 5,
                                        .populations = {{.key = "A", .label = "Ash"}},
                                        .settings = {{"Tally", "CurUnit", "4"}}});
  TallyModel& model = Open(path);
  ASSERT_EQ(model.settings().cur_unit(), 4);
  SetCell(0, "U002Count", 7);
  SetCell(0, "U003Hit", 2);
  model.SetNumberOfUnits("3");
  EXPECT_EQ(model.settings().cur_unit(), 3);
  EXPECT_EQ(model.settings().num_units(), 3);
  EXPECT_EQ(Cell(0, "U002Count"), "7");
  EXPECT_EQ(Cell(0, "U003Hit"), "2");
  EXPECT_EQ(ui_.busy_depth, 0);
  EXPECT_EQ(model.store()->state(), 2);  // back in the tally pattern
  EXPECT_THAT(DiskColumns(path, "Tally"),
              ElementsAre("Key", "Label", "Desc", "Meth", "Freq", "DatTable", "U001Count",
                          "U001Hit", "U002Count", "U002Hit", "U003Count", "U003Hit"));
  EXPECT_EQ(Setting(path, "CurUnit"), "3");
  EXPECT_EQ(Setting(path, "NumUnits"), "3");
  EXPECT_EQ(DiskRows(path, "Tally")[0][8], "7");
  model.tallying().SetKeyBoxText("A");  // counted in the unit now current
  EXPECT_EQ(Cell(0, "U003Count"), "1");
}

TEST_F(SettingsTest, RaisingUnitsWritesDictionaryRowsAndKeepsOtherTablesRows) {
  std::string path =
      Build("two.tal", {.num_units = 2,
                        .populations = {{.key = "A", .label = "Ash"}},
                        .tables = {{.name = "Plots", .columns = {"Unit", "TreeCount", "Num"}}}});
  TallyModel& model = Open(path);
  SetCell(0, "U001Count", 3);
  SetCell(0, "U002Hit", 1);
  model.SetNumberOfUnits("4");
  model_.reset();
  std::vector<std::string> unit_rows;
  std::vector<std::string> plots_rows;
  for (const auto& row : DiskRows(path, "DataDictionary")) {
    if (row[0] == "Plots") plots_rows.push_back(row[3]);
    if (row[0] == "Tally" && row[3].starts_with("U")) {
      unit_rows.push_back(row[3] + "/" + row[2] + "/" + row[1] + "/" + row[13]);
    }
  }
  EXPECT_THAT(unit_rows,
              ElementsAre("U001Count/Count for Unit 001/L/7", "U001Hit/Hits for Unit 001/L/8",
                          "U002Count/Count for Unit 002/L/9", "U002Hit/Hits for Unit 002/L/10",
                          "U003Count/Count for Unit 003/L/11", "U003Hit/Hits for Unit 003/L/12",
                          "U004Count/Count for Unit 004/L/13", "U004Hit/Hits for Unit 004/L/14"));
  EXPECT_THAT(plots_rows, ElementsAre("Unit", "TreeCount", "Num"));
  Rows tally = DiskRows(path, "Tally");
  EXPECT_THAT(tally[0],
              ElementsAre("A", "Ash", "", "C", "1", "", "3", "0", "0", "1", "0", "0", "0", "0"));
}

TEST_F(SettingsTest, TheSameNumberChangesNothingAndNonNumbersGiveOneUnit) {
  std::string path = Build("same.tal", {.num_units = 2});
  TallyModel& model = Open(path);
  model.SetNumberOfUnits("2");
  EXPECT_EQ(DiskColumns(path, "Tally").size(), 10u);
  EXPECT_EQ(model.settings().num_units(), 2);
  model.SetNumberOfUnits("abc");
  EXPECT_EQ(model.settings().num_units(), 1);
  EXPECT_EQ(DiskColumns(path, "Tally").size(), 8u);
  model.SetNumberOfUnits("");
  EXPECT_EQ(model.settings().num_units(), 1);
}

TEST_F(SettingsTest, MoreThan999UnitsAreRefusedAndChangeNothing) {
  std::string path = Build("two.tal", {.num_units = 2, .populations = {{.key = "A"}}});
  TallyModel& model = Open(path);
  ExpectUnitsRefused(path, "1000", "Too Many Units");
  EXPECT_TRUE(model.SetNumberOfUnits("999"));
  EXPECT_EQ(DiskColumns(path, "Tally").back(), "U999Hit");
}

TEST_F(SettingsTest, AFailedRestructuringLeavesTheFileAsItWasAndSaysSo) {
  std::string path = Build("two.tal", {.num_units = 2, .populations = {{.key = "A"}}});
  TallyModel& model = Open(path);
  // A second dictionary row for Key: the Tally view cannot be rebuilt.
  DataStore& store = *model.store();
  int dict = model.dictionary_slot();
  const TallyModel::DictionaryColumns& c = model.dictionary_columns();
  int row = store.AddRow(dict, -1);
  store.SetString(dict, row, c.table_name, "Tally");
  store.SetString(dict, row, c.column_name, "Key");
  store.SetString(dict, row, c.field_type, "S");
  store.SetString(dict, row, c.is_used, "Y");
  store.SetInt(dict, row, c.order1, 1);
  model.Commit();
  ExpectUnitsRefused(path, "5", "Units Not Changed");
  // Tallying goes on into the columns that are there.
  Press("A");
  model.Commit();
  EXPECT_EQ(DiskRows(path, "Tally")[0][6], "1");
}

TEST_F(SettingsTest, SettingValuesAreReadAsTheFileHoldsThem) {
  std::string path = Build("values.tal", {.num_units = 2,
                                          .settings = {{"System", "SaveInterval", "250"},
                                                       {"System", "Sound", "yes"},
                                                       {"System", "ShowCountsOnButtons", "Y"},
                                                       {"Tally", "CurUnit", "9"}}});
  TallyModel& model = Open(path);
  EXPECT_EQ(model.settings().save_interval(), 1);
  EXPECT_FALSE(model.sound());
  EXPECT_TRUE(model.settings().show_counts_on_buttons());
  EXPECT_EQ(model.settings().cur_unit(), 2);
  model_.reset();
  EXPECT_EQ(Setting(path, "SaveInterval"), "250");  // the file keeps what it holds
  EXPECT_EQ(Setting(path, "CurUnit"), "2");         // corrected and written back

  std::string zero = Build("zero.tal", {.settings = {{"System", "SaveInterval", "0"}}});
  EXPECT_EQ(Open(zero).settings().save_interval(), 1);
}

TEST_F(SettingsTest, ChangingTheUnitWritesItAndRefreshesTheScreens) {
  std::string path =
      Build("units.tal",
            {.num_units = 3,
             .populations = {{.key = "A", .label = "Ash", .dat_table = "Trees"}},
             .tables = {{.name = "Trees",
                         .columns = {"Unit", "Num", "Label"},
                         .rows = {{"001", "4", "Ash"},
                                  {"002", "9", "Ash"},
                                  {"002", "12", "Ash"},
                                  {"003", "2", "Ash"}}}},
             .settings = {{"System", "ShowNumBox", "Y"}, {"System", "ShowCountsOnButtons", "Y"}}});
  TallyModel& model = Open(path);
  model.tallying().SetCurrentUnit("002");
  EXPECT_EQ(model.settings().cur_unit(), 2);
  EXPECT_EQ(model.tallying().hit_number(), 12);
  EXPECT_THAT(ui_.hit_numbers, ElementsAre("12"));
  EXPECT_EQ(ui_.button_redraws, 1);
  EXPECT_EQ(Setting(path, "CurUnit"), "2");  // committed at once
  model.tallying().SetCurrentUnit("002");    // already current: nothing
  EXPECT_EQ(ui_.button_redraws, 1);
  EXPECT_EQ(ui_.busy_depth, 0);
  EXPECT_EQ(model.tallying().LastHitNumberOfUnit(1), 4);
  EXPECT_EQ(model.tallying().LastHitNumberOfUnit(3), 2);
  model.SetNumberOfUnits("4");
  EXPECT_EQ(model.tallying().LastHitNumberOfUnit(4), 0);
  model.tallying().SetKeyBoxText("A");  // counted in the unit now current
  EXPECT_EQ(model.tallying().PopulationButtons(2)[0].count, 1);
  EXPECT_EQ(model.tallying().PopulationButtons(1)[0].count, 0);
}

TEST_F(SettingsTest, TheLastHitNumberIsTheHighestNumOfTheUnitNotTheLastRows) {
  std::string path =
      Build("nums.tal", {.num_units = 3,
                         .populations = {{.key = "A", .label = "Ash", .dat_table = "Trees"}},
                         .tables = {{.name = "Trees",
                                     .columns = {"Unit", "Num", "Label"},
                                     .rows = {{"002", "3", "Ash"},
                                              {"001", "8", "Ash"},
                                              {"002", "11", "Ash"},
                                              {"002", "7", "Ash"},
                                              {"003", "5", "Ash"}}}}});
  TallyModel& model = Open(path);
  const struct {
    int unit;
    int last;
  } cases[] = {{1, 8}, {2, 11}, {3, 5}};
  for (const auto& c : cases)
    EXPECT_EQ(model.tallying().LastHitNumberOfUnit(c.unit), c.last) << c.unit;
}

TEST_F(SettingsTest, TheLastTallysTextsFollowTheUnit) {
  std::string path = Build("texts.tal", {.num_units = 2,
                                         .populations = {{.key = "A", .label = "Ash", .meth = " "}},
                                         .settings = {{"System", "ShowCountsOnButtons", "Y"}}});
  TallyModel& model = Open(path);
  Press("AAA");
  ASSERT_EQ(model.tallying().count_text(), "3");
  model.tallying().SetCurrentUnit("002");
  EXPECT_EQ(model.tallying().count_text(), "0");
  EXPECT_EQ(model.tallying().hit_text(), "0");
  Press("?");  // an invalid key redraws the last button from these texts
  EXPECT_EQ(model.tallying().count_text(), "0");
  model.tallying().SetCurrentUnit("001");
  EXPECT_EQ(model.tallying().count_text(), "3");
}

TEST_F(SettingsTest, WithoutItsTableTheHitNumberStays) {
  std::string path =
      Build("notable.tal", {.num_units = 2,
                            .populations = {{.key = "A", .label = "Ash", .dat_table = "Gone"}},
                            .settings = {{"System", "ShowNumBox", "Y"}}});
  TallyModel& model = Open(path);
  model.tallying().SetHitNumber(17);
  EXPECT_FALSE(model.tallying().LastHitNumberOfUnit(2).has_value());
  model.tallying().SetCurrentUnit("002");
  EXPECT_EQ(model.tallying().hit_number(), 17);
  EXPECT_TRUE(ui_.hit_numbers.empty());
}

TEST_F(SettingsTest, SetupControlsWriteTheirRows) {
  std::string path = Build("flags.tal", {});
  TallyModel& model = Open(path);
  model.settings().SetSaveIntervalItem(4, "5");
  model.settings().SetShowCountsOnButtons(true);
  model.settings().SetShowNumBox(false);
  EXPECT_EQ(model.settings().save_interval(), 5);
  model.Commit();
  EXPECT_EQ(Setting(path, "SaveInterval"), "5");
  EXPECT_EQ(Setting(path, "ShowCountsOnButtons"), "Y");
  EXPECT_EQ(Setting(path, "ShowNumBox"), "N");
}

}  // namespace
}  // namespace woodtick
