#include "model/records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/data_tables.h"
#include "model/population_rules.h"
#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class RecordsTest : public ModelTest {
 protected:
  // Aspen (A) and an unlabelled B; a Trees table of two records whose
  // Height becomes a decimal number column.
  TallyModel& OpenStand() {
    const std::string path =
        Build("stand.tal", {.populations = {{.key = "A", .label = "Aspen"}, {.key = "B"}},
                            .tables = {{.name = "Trees",
                                        .columns = {"Unit", "Height"},
                                        .rows = {{"001", "30,1"}, {"002", ""}}}}});
    TallyModel& model = Open(path);
    ui_.setup_screen = [](TallyModel& m, DataStore&, int) {
      ASSERT_EQ(
          m.data_tables().RedefineTable("Trees", {{"Unit"}, {"Height", ColumnType::kDecimal}}), "");
    };
    model.RunSetup();
    return model;
  }
};

TEST_F(RecordsTest, TheEditorsRecordsReadWriteAppendAndDeleteWithItsLog) {
  TallyModel& model = OpenStand();
  DataTables& tables = model.data_tables();
  EXPECT_EQ(tables.FindView("Plots"), -1);
  Records trees = tables.RecordsIn(tables.FindView("Trees"));
  EXPECT_EQ(trees.Name(), "Trees");
  EXPECT_THAT(trees.ColumnNames(), ElementsAre("Unit", "Height"));
  EXPECT_EQ(trees.Definition("Height"), (ColumnDefinition{"Height", ColumnType::kDecimal}));
  EXPECT_EQ(trees.Definition("Unit"), ColumnDefinition{"Unit"});

  ASSERT_EQ(trees.Count(), 2);
  EXPECT_EQ(trees.FieldText(0, 1), "30.1");
  EXPECT_EQ(trees.FieldText(1, 1), "");  // not taken, never 0
  const int added = trees.Append();
  EXPECT_EQ(added, 2);
  EXPECT_EQ(trees.FieldText(added, 1), "");
  trees.WriteField(added, 1, "4.5");
  trees.Delete(0, "Data record deleted while in Edit Data", "Record 1 from the Trees table");
  ASSERT_EQ(trees.Count(), 2);
  EXPECT_EQ(trees.FieldText(1, 1), "4.5");
  // The log commits: the deletion is on the disk at once.
  EXPECT_EQ(DiskLog(File("stand.tal")).back(), "Data record deleted while in Edit Data");
  EXPECT_EQ(DiskRows(File("stand.tal"), "Trees").size(), 2u);
}

// One rule set answers the record editor and the import alike.
TEST_F(RecordsTest, ThePopulationRulesHoldInTheEditorAndTheImport) {
  struct Case {
    const char* column;
    const char* typed;
    const char* editor;  // the refusal's title; "" when accepted
    const char* import;  // what the import's refusal says; "" when accepted
  };
  const Case cases[] = {
      {"Key", "", "Missing Key", "key '' is not one letter or digit"},
      {"Key", "b", "Duplicate Key", "key b is already used"},
      {"Key", "a", "", "key a is already used"},  // population 1's own key in the editor
      {"Key", "Q", "", ""},
      {"DatTable", "Trees", "", ""},
      {"DatTable", "trees", "Table Name Error", "data table 'trees' does not exist"},
      {"DatTable", "Buffer", "Table Name Error", "'Buffer' is reserved"},
  };
  TallyModel& model = OpenStand();
  DataTables& tables = model.data_tables();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " " + c.typed);
    std::string text = c.typed;
    const std::optional<Message> refusal =
        tables.CheckPopulationField(model.tally_slot(), 0, c.column, &text);
    EXPECT_EQ(refusal ? refusal->title : "", c.editor);
    const bool key = std::string(c.column) == "Key";
    const PopulationImport plan =
        tables.PlanImport(std::string("Key,Label,DatTable\n") + (key ? c.typed : "Q") +
                          ",Quaking," + (key ? "" : c.typed) + "\n");
    if (*c.import == '\0') {
      EXPECT_TRUE(plan.refusals.empty());
    } else {
      ASSERT_EQ(plan.refusals.size(), 1u);
      EXPECT_THAT(plan.refusals[0], HasSubstr(c.import));
    }
  }
  std::string key = "A";  // Aspen's, typed for B: B has no label, Aspen is named
  EXPECT_THAT(tables.CheckPopulationField(model.tally_slot(), 1, "Key", &key)->text,
              HasSubstr("population Aspen"));
  key = "b";
  EXPECT_THAT(tables.CheckPopulationField(model.tally_slot(), 0, "Key", &key)->text,
              HasSubstr("population in record 2"));
  EXPECT_FALSE(RefuseNewPopulation(kMaxPopulations - 1));
  EXPECT_EQ(RefuseNewPopulation(kMaxPopulations)->text, "Maximum populations is 20");
}

}  // namespace
}  // namespace woodtick
