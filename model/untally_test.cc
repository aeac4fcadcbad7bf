#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// The Untally list as the screen shows it.
std::vector<std::string> Lines(TallyModel& model) {
  std::vector<std::string> lines;
  for (const BufferEntry& entry : model.untally().Entries())
    lines.push_back(model.untally().Line(entry));
  return lines;
}

class UntallyTest : public ModelTest {
 protected:
  // A (HIT every other tally, table Trees), B (always a HIT, Trees),
  // C (counted only); the editor writes the order of each record into Notes.
  TallyModel& OpenTrees() {
    std::string path =
        Build("trees.tal",
              {.num_units = 2,
               .populations =
                   {{.key = "A", .label = "Aspen", .meth = "S", .freq = 2, .dat_table = "Trees"},
                    {.key = "B", .label = "Birch", .meth = "C", .dat_table = "Trees"},
                    {.key = "c", .label = "Cedar", .meth = " "}},
               .tables = {{.name = "Trees",
                           .columns = {"Unit", "Label", "Notes"},
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
  std::vector<BufferEntry> entries = model.untally().Entries();
  EXPECT_THAT(Lines(model), ElementsAre("001  Aspen  M", "001  Birch  M", "001  Aspen  C"));
  ASSERT_TRUE(model.untally().TakeBack(0, entries[0]));
  EXPECT_THAT(Notes(), ElementsAre("before", "record2"));
  EXPECT_EQ(Cell(0, "U001Count"), "1");
  EXPECT_EQ(Cell(0, "U001Hit"), "0");
  EXPECT_EQ(Cell(1, "U001Hit"), "1");
  EXPECT_THAT(Lines(model), ElementsAre("--untallied--", "001  Birch  M", "001  Aspen  C"));
  Rows log = DiskRows(path_, "MessageLog");
  EXPECT_EQ(log.back()[1], "Untally");
  EXPECT_EQ(log.back()[4], "A");
  EXPECT_EQ(log.back()[5], "001  Aspen  M Data deleted from Trees table: 001 Aspen record1 ");
  EXPECT_EQ(ui_.busy_depth, 0);

  EXPECT_FALSE(model.untally().TakeBack(0, entries[0]));
  EXPECT_EQ(ui_.messages.back().text, "You already untallied this!");
  EXPECT_EQ(ui_.messages.back().title, "Doh!");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kInformation);
}

TEST_F(UntallyTest, ACountedEntryOnlyDecrementsTheCount) {
  TallyModel& model = OpenTrees();
  Press("cc");
  EXPECT_THAT(Lines(model), ElementsAre("001  Cedar  C", "001  Cedar  C"));  // lower-case Key
  ASSERT_TRUE(model.untally().TakeBack(1, model.untally().Entries()[1]));
  EXPECT_EQ(Cell(2, "U001Count"), "1");
  EXPECT_THAT(Notes(), ElementsAre("before"));
  EXPECT_EQ(DiskRows(path_, "MessageLog").back()[5], "001  Cedar  C");
}

TEST_F(UntallyTest, MarkersForDeletedPopulationsAndUnits) {
  TallyModel& model = OpenTrees();
  Press("BC");
  model.tallying().SetCurrentUnit("002");
  Press("C");
  ASSERT_TRUE(model.untally().TakeBack(1, model.untally().Entries()[1]));
  // The population of the first entry goes, and the second unit with it.
  model.store()->SetString(model.tally_slot(), 1, 0, "Z");
  model.LoadSettings();
  model.SetNumberOfUnits("1");
  std::vector<BufferEntry> entries = model.untally().Entries();
  EXPECT_THAT(Lines(model), ElementsAre("--pop deleted--", "--untallied--", "--unit deleted--"));
  EXPECT_FALSE(model.untally().TakeBack(0, entries[0]));
  EXPECT_EQ(ui_.messages.back().text, "The population for that tally has been deleted");
  size_t shown = ui_.messages.size();
  EXPECT_FALSE(model.untally().TakeBack(2, entries[2]));
  EXPECT_EQ(ui_.messages.size(), shown);
  for (const BufferEntry& entry : entries) EXPECT_FALSE(model.untally().CanTakeBack(entry));
}

TEST_F(UntallyTest, ARecordAlreadyGoneIsExplained) {
  TallyModel& model = OpenTrees();
  Press("BB");
  model.store()->View(model.store()->FindView("Trees")).SetSize(1);
  ASSERT_TRUE(model.untally().TakeBack(0, model.untally().Entries()[0]));
  EXPECT_EQ(ui_.messages.back().text,
            "The counts have been decremented for that item but its record has already been "
            "deleted.");
  EXPECT_EQ(ui_.messages.back().title, "Data Record Already Deleted");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);
  EXPECT_EQ(Cell(1, "U001Count"), "1");
  EXPECT_EQ(Cell(1, "U001Hit"), "1");
  EXPECT_THAT(Notes(), ElementsAre("before"));
}

TEST_F(UntallyTest, AnEntryTheBufferNoLongerHoldsThereIsRefused) {
  TallyModel& model = OpenTrees();
  Press("cccccccccc");  // Buffer full: the next tally pushes the oldest out
  std::vector<BufferEntry> entries = model.untally().Entries();
  Press("B");
  size_t log_size = DiskLog(path_).size();
  EXPECT_FALSE(model.untally().TakeBack(9, entries[9]));  // row 9 is now Birch's HIT
  EXPECT_FALSE(model.untally().TakeBack(10, entries[9]));
  EXPECT_EQ(Cell(2, "U001Count"), "10");
  EXPECT_EQ(Cell(1, "U001Hit"), "1");
  EXPECT_EQ(DiskLog(path_).size(), log_size);
  EXPECT_TRUE(ui_.messages.empty());
  entries = model.untally().Entries();
  ASSERT_TRUE(model.untally().CanTakeBack(entries[9]));
  ASSERT_TRUE(model.untally().TakeBack(9, entries[9]));
  EXPECT_EQ(Cell(1, "U001Hit"), "0");
  EXPECT_FALSE(model.untally().CanTakeBack(model.untally().Entries()[9]));
}

class UntallyRecordTest : public ModelTest {
 protected:
  // A and B (always a HIT) write into Plots (Unit, Num, Label, Height); the
  // editor fills what a HIT fills and types Height, or deletes the record.
  TallyModel& OpenPlots(std::vector<PopulationSpec> extra = {}, bool num_box = true,
                        const std::string& name = "plots.tal") {
    std::vector<PopulationSpec> pops = {
        {.key = "A", .label = "Aspen", .meth = "C", .dat_table = "Plots"},
        {.key = "B", .label = "Birch", .meth = "C", .dat_table = "Plots"}};
    pops.insert(pops.end(), extra.begin(), extra.end());
    std::string path =
        Build(name, {.populations = pops,
                     .tables = {{.name = "Plots", .columns = {"Unit", "Num", "Label", "Height"}}},
                     .settings = {{"System", "ShowNumBox", num_box ? "Y" : "N"}}});
    ui_.record_editor = [this](const RecordEditorRequest& r) {
      if (delete_next_) {
        r.store->View(r.slot).RemoveAt(r.row);
        delete_next_ = false;
        return;
      }
      r.store->SetString(r.slot, r.row, 0, r.unit_text);
      if (r.fill_num) r.store->SetString(r.slot, r.row, 1, r.hit_number_text);
      r.store->SetString(r.slot, r.row, 2, r.label);
      r.store->SetString(r.slot, r.row, 3, std::to_string(++height_));
    };
    return Open(path);
  }
  // Label and Height of every record.
  std::vector<std::string> Records() {
    std::vector<std::string> out;
    for (const auto& row : SlotRows(*model_->store(), model_->store()->FindView("Plots"))) {
      out.push_back(row[2] + row[3]);
    }
    return out;
  }
  int Hits(int row) {
    int32_t hits = 0;
    int col = model_->store()->View(model_->tally_slot()).FindPropIndexByName("U001Hit");
    model_->store()->GetInt(model_->tally_slot(), row, col, &hits);
    return hits;
  }
  bool AlreadyDeletedShown() {
    return !ui_.messages.empty() && ui_.messages.back().title == "Data Record Already Deleted";
  }
  void Untally(int entry) {
    ui_.messages.clear();
    ASSERT_TRUE(model_->untally().TakeBack(entry, model_->untally().Entries()[entry]));
  }

  mk::View Plots() { return model_->store()->View(model_->store()->FindView("Plots")); }

  bool delete_next_ = false;
  int height_ = 0;
};

TEST_F(UntallyRecordTest, ARecordDeletedInTheEditorLeavesTheOthersAlone) {
  OpenPlots();
  Press("B");  // Birch1
  delete_next_ = true;
  Press("A");  // deleted in the editor
  Untally(1);
  EXPECT_TRUE(AlreadyDeletedShown());
  EXPECT_THAT(Records(), ElementsAre("Birch1"));
  EXPECT_EQ(Hits(0), 0);  // taken back all the same
  EXPECT_EQ(DiskLog(model_->path()).back(), "Untally");
}

TEST_F(UntallyRecordTest, TheNumTellsTwoHitsOfOnePopulationApart) {
  OpenPlots();
  Press("A");  // Height 1
  delete_next_ = true;
  Press("A");  // record deleted
  Untally(1);
  EXPECT_TRUE(AlreadyDeletedShown());
  EXPECT_THAT(Records(), ElementsAre("Aspen1"));
  EXPECT_EQ(Hits(0), 1);
}

TEST_F(UntallyRecordTest, ARecordAddedSinceIsFoundByWhatTheHitWrote) {
  OpenPlots();
  Press("AB");  // Aspen1, Birch2
  int slot = model_->store()->FindView("Plots");
  model_->store()->SetString(slot, model_->store()->AddRow(slot, -1), 2, "Typed");
  Untally(0);
  EXPECT_FALSE(AlreadyDeletedShown());
  EXPECT_THAT(Records(), ElementsAre("Birch2", "Typed"));
  Untally(1);
  EXPECT_THAT(Records(), ElementsAre("Typed"));
}

TEST_F(UntallyRecordTest, KeysDifferingInCaseTakeBackTheRowThatWasCounted) {
  OpenPlots({{.key = "a", .label = "Alder", .meth = "C", .dat_table = "Other"}});
  Press("A");  // counts the first row whose key is A in any case: Aspen
  EXPECT_THAT(Lines(*model_), ElementsAre("001  Aspen  M"));
  Untally(0);
  EXPECT_EQ(Hits(0), 0);
  EXPECT_EQ(Hits(2), 0);
  EXPECT_THAT(Records(), ElementsAre());
}

TEST_F(UntallyRecordTest, TakesBackExactlyTheRecordItsHitAdded) {
  // What happens between the tallies and the untallies.
  auto remove = [this](int row) { return [this, row] { Plots().RemoveAt(row); }; };
  const std::function<void()> insert_first = [this] { Plots().InsertEmptyRowsAt(0); };
  const std::function<void()> clear = [this] { model_->utilities().ClearDataTablesCommand(); };
  const std::function<void()> setup = [this] { model_->RunSetup(); };
  const std::function<void()> reopen = [this] { Open(std::string(model_->path())); };
  const std::string gone = "Data Record Already Deleted", unclear = "Data Record Not Deleted";
  const struct {
    const char* name;
    bool num_box;
    std::string keys;
    std::function<void()> between;
    std::vector<int> untally;       // Buffer rows, in turn
    std::vector<std::string> left;  // Label and Height of each record
    std::string told;               // the title of the box shown, if any
  } cases[] = {
      {"first of two, Num off", false, "AA", {}, {0}, {"Aspen2"}, ""},
      {"second of two, Num off", false, "AA", {}, {1}, {"Aspen1"}, ""},
      {"the later taken back first", false, "AA", {}, {1, 0}, {}, ""},
      {"a record before it deleted", false, "AAA", remove(0), {1}, {"Aspen3"}, ""},
      {"a record inserted before it", false, "AA", insert_first, {0}, {"", "Aspen2"}, ""},
      {"its own record deleted", false, "AAA", remove(1), {1}, {"Aspen1", "Aspen3"}, gone},
      {"the data tables cleared", false, "AA", clear, {0}, {}, gone},
      {"reopened by Setup, Num off", false, "AA", setup, {0}, {"Aspen1", "Aspen2"}, unclear},
      {"reopened by Setup, Num on", true, "AA", setup, {0}, {"Aspen2"}, ""},
      {"an earlier run, two alike", true, "AA", reopen, {1}, {"Aspen1", "Aspen2"}, unclear},
      {"an earlier run, one alike", true, "AB", reopen, {1}, {"Aspen1"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    height_ = 0;
    OpenPlots({}, c.num_box, std::string(c.name) + ".tal");
    Press(c.keys);
    if (c.between) c.between();
    for (int entry : c.untally) Untally(entry);
    EXPECT_THAT(Records(), ElementsAreArray(c.left));
    EXPECT_EQ(ui_.messages.empty() ? "" : ui_.messages.back().title, c.told);
    int aspen_hits = static_cast<int>(std::count(c.keys.begin(), c.keys.end(), 'A'));
    for (int entry : c.untally) aspen_hits -= c.keys[entry] == 'A';
    EXPECT_EQ(Hits(0), aspen_hits);  // taken back all the same
    if (c.told == unclear && !ui_.messages.empty()) {
      EXPECT_EQ(ui_.messages.back().text,
                "The counts have been decremented for that item, but no record has been deleted: "
                "2 records in the Plots table could be the one it added (Unit 001, Label Aspen), "
                "and Woodtick cannot tell which.\nIf one of them should go, delete it in Edit "
                "Data.");
    }
  }
}

// The steps of a field day that once lost a sibling record: the example,
// Show Last Hit Number off, three Pine HITs in unit 2 typing Height 21, 22
// and 23, the 22 record deleted in Edit Data, then its tally taken back.
TEST_F(UntallyTest, TakingBackAHitWhoseRecordWasDeletedLeavesItsSiblings) {
  TallyModel& model = Open(CopyExample());
  ui_.setup_screen = [](TallyModel& m, DataStore&, int) { m.settings().SetShowNumBox(false); };
  model.RunSetup();
  model.tallying().SetCurrentUnit("002");
  int height = 20;
  ui_.record_editor = [&height](const RecordEditorRequest& r) {
    r.store->SetString(r.slot, r.row, 0, r.unit_text);
    r.store->SetString(r.slot, r.row, 2, r.label);
    r.store->SetString(r.slot, r.row, 3, std::to_string(++height));
  };
  Press("ppp");
  const int trees = model.store()->FindView("Trees");
  Rows records = SlotRows(*model.store(), trees);
  ASSERT_EQ(records.end()[-2][3], "22");
  model.store()->View(trees).RemoveAt(static_cast<int>(records.size()) - 2);
  model.Commit();
  std::vector<BufferEntry> entries = model.untally().Entries();
  const int middle = static_cast<int>(entries.size()) - 2;
  ASSERT_EQ(model.untally().Line(entries[middle]), "002  Pine  M");
  ASSERT_TRUE(model.untally().TakeBack(middle, entries[middle]));
  records.erase(records.end() - 2);
  EXPECT_EQ(SlotRows(*model.store(), trees), records);
  EXPECT_EQ(ui_.CountTitled("Data Record Already Deleted"), 1);
}

}  // namespace
}  // namespace woodtick
