#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

class ProcessKeyTest : public ModelTest {
 protected:
  std::string Cell(int row, const std::string& column) {
    int col = model_->store()->View(model_->tally_slot()).FindPropIndexByName(column);
    std::string text;
    model_->store()->GetString(model_->tally_slot(), row, col, &text);
    return text;
  }
  void SetCell(int row, const std::string& column, int value) {
    int col = model_->store()->View(model_->tally_slot()).FindPropIndexByName(column);
    model_->store()->SetInt(model_->tally_slot(), row, col, value);
  }
  std::vector<std::string> BufferLines() {
    std::vector<std::string> lines;
    for (const auto& row : SlotRows(*model_->store(), model_->store()->FindView("Buffer"))) {
      lines.push_back(row[0] + " " + row[1] + " " + row[2]);
    }
    return lines;
  }
};

TEST_F(ProcessKeyTest, AKeyCountsInTheCurrentUnitAndIsRemembered) {
  std::string path = Build("ab.tal", {.num_units = 2,
                                      .populations = {{.key = "A", .label = "Ash", .meth = " "},
                                                      {.key = "B", .label = "Birch"}},
                                      .settings = {{"Tally", "CurUnit", "2"}}});
  TallyModel& model = Open(path);
  const TallyResult counted = model.tallying().SetKeyBoxText("a");
  EXPECT_EQ(counted.outcome, TallyOutcome::kCounted);
  EXPECT_EQ(counted.row, 0);
  EXPECT_EQ(counted.count, 1);
  EXPECT_EQ(Cell(0, "U002Count"), "1");
  EXPECT_EQ(Cell(0, "U001Count"), "0");
  EXPECT_EQ(model.tallying().count_text(), "1");
  EXPECT_EQ(model.tallying().status_text(), "Ash: 1");
  EXPECT_EQ(model.tallying().last_row(), 0);
  EXPECT_FALSE(model.tallying().measured());
  const TallyResult hit = model.tallying().SetKeyBoxText("B");  // method "C": every tally is a HIT
  EXPECT_TRUE(hit.measured());
  EXPECT_EQ(hit.label, "Birch");
  EXPECT_EQ(hit.hits, 1);
  EXPECT_EQ(Cell(1, "U002Hit"), "1");
  EXPECT_THAT(BufferLines(), ElementsAre("2 A C", "2 B M"));
  EXPECT_TRUE(ui_.untally_enabled);
  EXPECT_EQ(model.tallying().save_counter(), 2);
}

TEST_F(ProcessKeyTest, PopulationButtonsShowTheCountsOfTheUnitAsked) {
  std::string path = Build(
      "buttons.tal",
      {.num_units = 2,
       .populations = {{.key = "a", .label = "Ash", .meth = " "}, {.key = "B", .label = "Birch"}}});
  TallyModel& model = Open(path);
  EXPECT_EQ(model.tallying().LastPopulationLabel(), "");
  Press("AAB");
  model.tallying().SetCurrentUnit("002");
  Press("B");
  EXPECT_EQ(model.tallying().LastPopulationLabel(), "Birch");
  std::vector<PopulationButton> one = model.tallying().PopulationButtons(1);
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[0].key, "a");  // as stored: the screen shows the Key cell
  EXPECT_EQ(one[0].label, "Ash");
  EXPECT_EQ(one[0].count, 2);
  EXPECT_EQ(one[0].hits, 0);
  EXPECT_EQ(one[1].label, "Birch");
  EXPECT_EQ(one[1].count, 1);
  EXPECT_EQ(one[1].hits, 1);
  std::vector<PopulationButton> two = model.tallying().PopulationButtons(2);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].count, 0);
  EXPECT_EQ(two[1].count, 1);
  EXPECT_EQ(two[1].hits, 1);
}

TEST_F(ProcessKeyTest, AnInvalidKeyOnlySetsTheStatus) {
  std::string path = Build("inv.tal", {.populations = {{.key = "A", .label = "Ash"}}});
  TallyModel& model = Open(path);
  const TallyResult result = model.tallying().SetKeyBoxText("q");
  EXPECT_TRUE(result.invalid());
  EXPECT_EQ(result.key, "Q");
  EXPECT_FALSE(result.counted());
  EXPECT_EQ(model.tallying().status_text(), "Invalid Key: Q");
  EXPECT_TRUE(BufferLines().empty());
  EXPECT_EQ(model.tallying().save_counter(), 0);
  EXPECT_EQ(model.tallying().last_row(), -1);
  EXPECT_TRUE(ui_.untally_enabled);  // any key enables Untally
}

TEST_F(ProcessKeyTest, HotKeysMatchWithoutCaseByRow) {
  std::string path = Build("xyz.tal", {.populations = {{.key = "x", .label = "Ex", .meth = " "},
                                                       {.key = "Y", .label = "Why", .meth = " "},
                                                       {.key = "z", .label = "Zed", .meth = " "}}});
  TallyModel& model = Open(path);
  EXPECT_EQ(model.settings().keys(), "XYZ");
  model.tallying().SetKeyBoxText("y");
  EXPECT_EQ(model.tallying().last_row(), 1);
  EXPECT_EQ(model.tallying().status_text(), "Why: 1");
}

TEST_F(ProcessKeyTest, TheSpruceStatusTexts) {
  std::string path = Build("spruce.tal", {.populations = {{.key = "S", .label = "Spruce"}}});
  TallyModel& model = Open(path);
  SetCell(0, "U001Count", 11);
  SetCell(0, "U001Hit", 2);
  model.tallying().SetKeyBoxText("S");
  EXPECT_EQ(model.tallying().status_text(), "Spruce: 12 HIT!3");
  EXPECT_EQ(model.tallying().hit_text(), "3");
  EXPECT_EQ(model.tallying().count_text(), "12");
  EXPECT_TRUE(model.tallying().measured());

  std::string on = Build("spruce-on.tal", {.populations = {{.key = "S", .label = "Spruce"}},
                                           .settings = {{"System", "ShowCountsOnButtons", "Y"}}});
  TallyModel& counts_on = Open(on);
  SetCell(0, "U001Count", 11);
  SetCell(0, "U001Hit", 2);
  counts_on.tallying().SetKeyBoxText("S");
  EXPECT_EQ(counts_on.tallying().status_text(), "Spruce HIT!");
  EXPECT_EQ(counts_on.tallying().hit_text(), "3");
}

TEST_F(ProcessKeyTest, ElevenTalliesLeaveTenBufferRows) {
  std::string path = Build("eleven.tal", {.populations = {{.key = "A", .label = "Ash", .meth = " "},
                                                          {.key = "B", .label = "Birch"}}});
  Open(path);
  Press("BAAAAAAAAAA");
  std::vector<std::string> lines = BufferLines();
  ASSERT_EQ(lines.size(), 10u);
  for (const std::string& line : lines) EXPECT_EQ(line, "1 A C");  // the B entry aged out
}

TEST_F(ProcessKeyTest, SaveIntervalFiveCommitsAtTalliesOneSixAndEleven) {
  std::string path = Build("five.tal", {.populations = {{.key = "A", .label = "Ash", .meth = " "}},
                                        .settings = {{"System", "SaveInterval", "5"}}});
  Open(path);
  std::vector<int> committed_at;
  for (int tally = 1; tally <= 12; ++tally) {
    Press("A");
    if (DiskRows(path, "Tally")[0][6] == std::to_string(tally)) committed_at.push_back(tally);
  }
  EXPECT_THAT(committed_at, ElementsAre(1, 6, 11));
  EXPECT_EQ(ui_.busy_depth, 0);
}

TEST_F(ProcessKeyTest, ARecordIsSavedAsItsEditorClosesWhateverTheSaveInterval) {
  std::string path =
      Build("typed.tal", {.populations = {{.key = "P", .label = "Pine", .dat_table = "Trees"}},
                          .tables = {{.name = "Trees", .columns = {"Unit", "Label", "Height"}}},
                          .settings = {{"System", "SaveInterval", "5"}}});
  Open(path);
  int typed = 0;
  ui_.record_editor = [&typed](const RecordEditorRequest& r) {
    r.store->SetString(r.slot, r.row, 2, std::to_string(++typed));
  };
  Press("ppp");
  // What a process killed now leaves on disk.
  Rows on_disk = DiskRows(path, "Trees");
  ASSERT_EQ(on_disk.size(), 3u);
  EXPECT_EQ(on_disk[2][2], "3");
}

TEST_F(ProcessKeyTest, BlankMethodIsNeverAHitAndAHitWithoutTableOpensNoEditor) {
  std::string path = Build("hit.tal", {.populations = {{.key = "A", .label = "Ash", .meth = " "},
                                                       {.key = "B", .label = "Birch", .meth = "C"}},
                                       .settings = {{"System", "Sound", "Y"}}});
  TallyModel& model = Open(path);
  Press("AAA");
  EXPECT_EQ(Cell(0, "U001Hit"), "0");
  EXPECT_EQ(model.tallying().hit_number(), 0);
  EXPECT_THAT(ui_.beeps, ElementsAre(FakeUi::Beeped{1000, 250}, FakeUi::Beeped{1000, 250},
                                     FakeUi::Beeped{1000, 250}));
  ui_.beeps.clear();
  Press("B");
  EXPECT_EQ(Cell(1, "U001Hit"), "1");
  EXPECT_EQ(model.tallying().hit_number(), 1);
  EXPECT_EQ(model.tallying().hit_number(), 1);
  EXPECT_THAT(ui_.hit_numbers, ElementsAre("1"));
  EXPECT_TRUE(ui_.editor_requests.empty());
  EXPECT_THAT(ui_.beeps, ElementsAre(FakeUi::Beeped{1000, 250}, FakeUi::Beeped{800, 200},
                                     FakeUi::Beeped{1000, 300}));
}

TEST_F(ProcessKeyTest, AHitAddsARecordAndRunsTheEditorOnIt) {
  std::string path =
      Build("trees.tal", {.num_units = 7,
                          .populations = {{.key = "P", .label = "Pine", .dat_table = "Trees"}},
                          .tables = {{.name = "Trees",
                                      .columns = {"Unit", "Num", "Label", "Height"},
                                      .rows = {{"001", "1", "Pine", "20"}}}},
                          .settings = {{"Tally", "CurUnit", "7"}, {"System", "ShowNumBox", "Y"}}});
  TallyModel& model = Open(path);
  model.tallying().SetHitNumber(123);
  TallyResult while_editing;
  ui_.record_editor = [&](const RecordEditorRequest& r) {
    while_editing = model.tallying().last_tally();
    r.store->SetString(r.slot, r.row, 0, r.unit_text);
    r.store->SetString(r.slot, r.row, 1, r.hit_number_text);
    r.store->SetString(r.slot, r.row, 2, r.label);
    r.store->SetString(r.slot, r.row, 3, "31.5");
  };
  Press("p");
  ASSERT_EQ(ui_.editor_requests.size(), 1u);
  const RecordEditorRequest& request = ui_.editor_requests[0];
  EXPECT_EQ(request.slot, model.store()->FindView("Trees"));
  EXPECT_EQ(request.row, 1);
  EXPECT_EQ(request.unit_text, "007");
  EXPECT_EQ(request.label, "Pine");
  EXPECT_TRUE(request.fill_num);
  EXPECT_EQ(request.hit_number_text, "124");
  // The screen can show the HIT before the editor opens.
  EXPECT_TRUE(while_editing.measured());
  EXPECT_EQ(while_editing.count, 1);
  EXPECT_EQ(while_editing.hits, 1);
  model_.reset();
  EXPECT_THAT(DiskRows(path, "Trees")[1], ElementsAre("007", "124", "Pine", "31.5"));
}

TEST_F(ProcessKeyTest, AStandardViewAsDataTableIsToldReservedNotMissing) {
  std::string path = Build(
      "reserved.tal", {.populations = {{.key = "A", .label = "Ash", .dat_table = "Buffer"},
                                       {.key = "B", .label = "Birch", .dat_table = "messagelog"}}});
  Open(path);
  Press("AABB");
  EXPECT_EQ(Cell(0, "U001Hit"), "2");
  EXPECT_TRUE(ui_.editor_requests.empty());
  ASSERT_EQ(ui_.messages.size(), 2u);  // once per name
  EXPECT_EQ(ui_.messages[0].title, "Reserved Table Name");
  EXPECT_THAT(ui_.messages[0].text, ::testing::HasSubstr("'Buffer'"));
  EXPECT_THAT(ui_.messages[0].text, ::testing::HasSubstr("reserved"));
  EXPECT_THAT(ui_.messages[1].text, ::testing::HasSubstr("'messagelog'"));
  for (const Message& m : ui_.messages) {
    EXPECT_THAT(m.text, ::testing::Not(::testing::HasSubstr("does not exist")));
  }
}

TEST_F(ProcessKeyTest, AMissingDataTableIsToldOnceAndTheCountsStay) {
  std::string path =
      Build("gone.tal", {.populations = {{.key = "A", .label = "Ash", .dat_table = "Vanished"}}});
  TallyModel& model = Open(path);
  Press("AA");
  EXPECT_EQ(Cell(0, "U001Count"), "2");
  EXPECT_EQ(Cell(0, "U001Hit"), "2");
  EXPECT_EQ(model.tallying().hit_number(), 2);
  EXPECT_TRUE(ui_.editor_requests.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_THAT(ui_.messages[0].text, ::testing::HasSubstr("'Vanished'"));
  EXPECT_EQ(ui_.messages[0].title, "Missing Data Table");
}

TEST_F(ProcessKeyTest, ALongerTextIsRewrittenAndEachCharacterCountsOnce) {
  std::string path =
      Build("box.tal", {.populations = {{.key = "A", .label = "Ash", .meth = " "},
                                        {.key = "B", .label = "Birch", .meth = " "}}});
  TallyModel& model = Open(path);
  model.tallying().SetKeyBoxText("A");
  model.tallying().SetKeyBoxText("AB");  // "B" typed after "A" in the box
  EXPECT_EQ(Cell(0, "U001Count"), "1");
  EXPECT_EQ(Cell(1, "U001Count"), "1");
  EXPECT_EQ(model.tallying().key_box_text(), "B");
  EXPECT_EQ(model.tallying().save_counter(), 2);
  model.tallying().SetKeyBoxText("");
  EXPECT_EQ(model.tallying().save_counter(), 2);
  model.tallying().SetKeyBoxText("B");  // the same text again is one more change
  EXPECT_EQ(Cell(1, "U001Count"), "2");
}

}  // namespace
}  // namespace woodtick
