#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

class UntallyTest : public ModelTest {
 protected:
  // A (HIT every other tally, table Trees), B (always a HIT, Trees),
  // C (counted only); the editor writes the order of each record into Notes.
  TallyModel& OpenTrees() {
    std::string path = Build(
        "trees.tal",
        {.num_units = 2,
         .populations = {{.key = "A", .label = "Aspen", .meth = "S", .freq = 2,
                          .dat_table = "Trees"},
                         {.key = "B", .label = "Birch", .meth = "C", .dat_table = "Trees"},
                         {.key = "c", .label = "Cedar", .meth = " "}},
         .tables = {{.name = "Trees", .columns = {"Unit", "Label", "Notes"},
                     .rows = {{"001", "Old", "before"}}}}});
    path_ = path;
    ui_.record_editor = [this](const RecordEditorRequest& r) {
      r.store->SetString(r.slot, r.row, 0, r.unit_text);
      r.store->SetString(r.slot, r.row, 1, r.label);
      r.store->SetString(r.slot, r.row, 2, "record" + std::to_string(++records_));
    };
    return Open(path);
  }
  std::string Cell(int row, const std::string& column) {
    int col = model_->store()->View(model_->tally_slot()).FindPropIndexByName(column);
    std::string text;
    model_->store()->GetString(model_->tally_slot(), row, col, &text);
    return text;
  }
  std::vector<std::string> Notes() {
    std::vector<std::string> notes;
    for (const auto& row : SlotRows(*model_->store(), model_->store()->FindView("Trees"))) {
      notes.push_back(row[2]);
    }
    return notes;
  }

  std::string path_;
  int records_ = 0;
};

TEST_F(UntallyTest, TakingBackTheFirstHitDeletesItsOwnRecord) {
  TallyModel& model = OpenTrees();
  Press("ABA");  // A: HIT (record1), B: HIT (record2), A: counted only
  EXPECT_THAT(Notes(), ElementsAre("before", "record1", "record2"));
  std::vector<std::string> lines = model.UntallyListLines();
  EXPECT_THAT(lines, ElementsAre("001  Aspen  M", "001  Birch  M", "001  Aspen  C"));
  ASSERT_TRUE(model.UntallyEntry(0, lines[0]));
  EXPECT_THAT(Notes(), ElementsAre("before", "record2"));
  EXPECT_EQ(Cell(0, "U001Count"), "1");
  EXPECT_EQ(Cell(0, "U001Hit"), "0");
  EXPECT_EQ(Cell(1, "U001Hit"), "1");
  EXPECT_THAT(model.UntallyListLines(),
              ElementsAre("--untallied--", "001  Birch  M", "001  Aspen  C"));
  Rows log = DiskRows(path_, "MessageLog");
  EXPECT_EQ(log.back()[1], "Untally");
  EXPECT_EQ(log.back()[4], "A");
  EXPECT_EQ(log.back()[5], "001  Aspen  M Data deleted from Trees table: 001 Aspen record1 ");
  EXPECT_EQ(ui_.busy_depth, 0);

  EXPECT_FALSE(model.UntallyEntry(0, "--untallied--"));
  EXPECT_EQ(ui_.messages.back().text, "You already untallied this!");
  EXPECT_EQ(ui_.messages.back().title, "Doh!");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kInformation);
}

TEST_F(UntallyTest, ACountedEntryOnlyDecrementsTheCount) {
  TallyModel& model = OpenTrees();
  Press("cc");
  std::vector<std::string> lines = model.UntallyListLines();
  EXPECT_THAT(lines, ElementsAre("001  Cedar  C", "001  Cedar  C"));  // lower-case Key found
  ASSERT_TRUE(model.UntallyEntry(1, lines[1]));
  EXPECT_EQ(Cell(2, "U001Count"), "1");
  EXPECT_THAT(Notes(), ElementsAre("before"));
  EXPECT_EQ(DiskRows(path_, "MessageLog").back()[5], "001  Cedar  C");
}

TEST_F(UntallyTest, MarkersForDeletedPopulationsAndUnits) {
  TallyModel& model = OpenTrees();
  Press("BC");
  model.SetCurrentUnit("002");
  Press("C");
  ASSERT_TRUE(model.UntallyEntry(1, model.UntallyListLines()[1]));
  // The population of the first entry goes, and the second unit with it.
  model.store()->SetString(model.tally_slot(), 1, 0, "Z");
  model.LoadSettings();
  model.SetNumberOfUnits("1");
  std::vector<std::string> lines = model.UntallyListLines();
  EXPECT_THAT(lines, ElementsAre("--pop deleted--", "--untallied--", "--unit deleted--"));
  EXPECT_FALSE(model.UntallyEntry(0, lines[0]));
  EXPECT_EQ(ui_.messages.back().text, "The population for that tally has been deleted");
  size_t shown = ui_.messages.size();
  EXPECT_FALSE(model.UntallyEntry(2, lines[2]));
  EXPECT_EQ(ui_.messages.size(), shown);
  for (const std::string& line : lines) EXPECT_TRUE(TallyModel::IsUntallyMarker(line));
  EXPECT_FALSE(TallyModel::IsUntallyMarker("001  Aspen  M"));
}

TEST_F(UntallyTest, ARecordAlreadyGoneIsExplained) {
  TallyModel& model = OpenTrees();
  Press("BB");
  model.store()->View(model.store()->FindView("Trees")).SetSize(1);
  std::vector<std::string> lines = model.UntallyListLines();
  ASSERT_TRUE(model.UntallyEntry(0, lines[0]));
  EXPECT_EQ(ui_.messages.back().text,
            "The counts have been decremented for that item but its record has already been "
            "deleted.");
  EXPECT_EQ(ui_.messages.back().title, "Data Record Already Deleted");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);
  EXPECT_EQ(Cell(1, "U001Count"), "1");
  EXPECT_EQ(Cell(1, "U001Hit"), "1");
  EXPECT_THAT(Notes(), ElementsAre("before"));
}

}  // namespace
}  // namespace woodtick
