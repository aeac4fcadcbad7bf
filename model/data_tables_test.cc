#include "model/data_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "mk/testing/reference_tool.h"
#include "model/column_types.h"
#include "model/table_definitions.h"
#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr ColumnType kT = ColumnType::kText, kW = ColumnType::kWhole, kD = ColumnType::kDecimal;

TEST(ColumnTypesTest, TypedValuesAreCheckedAndStoredNormalized) {
  struct Case {
    ColumnDefinition column;
    std::string typed;
    std::string stored;  // "REFUSED" when refused
  };
  const ColumnDefinition height{"Height", kD, "0", "60"};
  const ColumnDefinition count{"Count", kW, "1", ""};
  const Case cases[] = {
      {height, "30,1", "30.1"},
      {height, " 32.9 ", "32.9"},
      {height, "", ""},
      {height, "  ", ""},
      {height, "pf", "REFUSED"},
      {height, "60.01", "REFUSED"},
      {height, "-1", "REFUSED"},
      {height, "1e3", "REFUSED"},
      {height, "1.2.3", "REFUSED"},
      {height, "1 000", "REFUSED"},
      {count, "7", "7"},
      {count, "0", "REFUSED"},
      {count, "2,5", "REFUSED"},
      {count, "99999999999", "REFUSED"},
      {{"Notes", kT}, " pf ", " pf "},
  };
  for (const Case& c : cases) {
    std::string stored = "untouched";
    const std::optional<std::string> refusal = CheckValue(c.column, c.typed, &stored);
    if (c.stored == "REFUSED") {
      ASSERT_TRUE(refusal) << c.typed;
      // The message names the column, the value and what is allowed.
      EXPECT_THAT(*refusal, HasSubstr(c.column.name));
      EXPECT_THAT(*refusal, HasSubstr("'" + c.typed + "'"));
      EXPECT_THAT(*refusal, HasSubstr(AllowedText(c.column)));
    } else {
      EXPECT_FALSE(refusal) << c.typed;
      EXPECT_EQ(stored, c.stored) << c.typed;
    }
  }
  EXPECT_EQ(AllowedText(height), "a decimal number from 0 to 60");
  EXPECT_EQ(AllowedText(count), "a whole number of at least 1");
  EXPECT_THAT(CheckDefinition({"H", kW, "0.5", ""}), HasSubstr("'0.5'"));
  EXPECT_THAT(CheckDefinition({"H", kD, "9", "1"}), HasSubstr("above its maximum"));
}

class DataTablesTest : public ModelTest {
 protected:
  // A stand whose Trees table holds `heights`, opened; `body` runs in Setup.
  void InSetup(const std::vector<std::string>& heights,
               const std::function<void(TallyModel&)>& body) {
    TableSpec trees{.name = "Trees", .columns = {"Unit", "Height"}};
    for (const std::string& h : heights) trees.rows.push_back({"001", h});
    path_ = Build("stand" + std::to_string(++files_) + ".tal",
                  {.populations = {{.key = "A", .label = "Aspen"}}, .tables = {trees}});
    TallyModel& model = Open(path_);
    ui_.setup_screen = [&](TallyModel& m, DataStore&, int) { body(m); };
    model.RunSetup();
  }
  std::string path_;
  int files_ = 0;
};

TEST_F(DataTablesTest, ATypeChangeConvertsEveryValueOrRefusesNamingTheRows) {
  struct Case {
    std::vector<std::string> heights;
    ColumnDefinition height;
    std::vector<std::string> expected;  // stored values, or the records named
    bool refused;
  };
  const Case cases[] = {
      {{"30,1", "", "9.9"}, {"Height", kD}, {"30.1", "", "9.9"}, false},
      {{"12", " 7 "}, {"Height", kW, "0", "20"}, {"12", "7"}, false},
      {{"3", "pf", "4", "30,1", "x"}, {"Height", kW}, {"Record 2: 'pf'", "Record 4: '30,1'"}, true},
      {{"3", "70"}, {"Height", kD, "0", "60"}, {"Record 2: '70'"}, true},
  };
  for (const Case& c : cases) {
    std::string refusal;
    std::vector<std::string> shown;
    InSetup(c.heights, [&](TallyModel& model) {
      DataTables& tables = model.data_tables();
      refusal = tables.RedefineTable("Trees", {{"Unit"}, c.height});
      DataStore& store = *model.store();
      const int slot = store.FindView("Trees");
      for (int row = 0; row < store.View(slot).GetSize(); ++row) {
        shown.push_back(ReadFieldText(store, slot, row, 1));
      }
      EXPECT_EQ(tables.Columns("Trees")[1], c.refused ? ColumnDefinition{"Height"} : c.height);
    });
    if (c.refused) {
      for (const std::string& record : c.expected) EXPECT_THAT(refusal, HasSubstr(record));
      EXPECT_THAT(refusal, ::testing::Not(HasSubstr("Record 1:")));
      EXPECT_EQ(shown, c.heights);  // nothing turned into 0
    } else {
      EXPECT_EQ(refusal, "");
      EXPECT_EQ(shown, c.expected);
      EXPECT_THAT(DiskColumns(path_, "Trees"), ElementsAre("Unit", "Height"));
    }
    model_.reset();
  }
}

TEST_F(DataTablesTest, AnImportedListAppendsZeroCountedPopulationsAndLogsIt) {
  path_ = Build("list.tal", {.num_units = 2,
                             .populations = {{.key = "A", .label = "Aspen"}},
                             .tables = {{.name = "Trees", .columns = {"Unit"}}}});
  TallyModel& model = Open(path_);
  ui_.setup_screen = [&](TallyModel& m, DataStore&, int) {
    const PopulationImport plan = m.data_tables().PlanImport(
        "\xEF\xBB\xBF"
        "DatTable,Key,Label,Freq,Meth\r\nTrees,B,\"Birch, \"\"white\"\"\",\"2,5\",S\r\n,c,"
        "M\xC3\xBCller's oak,,\r\n");
    ASSERT_TRUE(plan.refusals.empty()) << plan.refusals[0];
    EXPECT_TRUE(m.data_tables().Import(plan, "list.csv"));
    EXPECT_EQ(m.num_populations(), 3);
  };
  model.RunSetup();
  EXPECT_EQ(model.settings().keys().size(), 3u);
  model_.reset();
  const Rows tally = DiskRows(path_, "Tally");
  ASSERT_EQ(tally.size(), 3u);
  EXPECT_THAT(tally[1],
              ElementsAre("B", "Birch, \"white\"", "", "S", "2.5", "Trees", "0", "0", "0", "0"));
  EXPECT_THAT(tally[2], ElementsAre("c", "M\xFCller's oak", "", "", "1", "", "0", "0", "0", "0"));
  const Rows log = DiskRows(path_, "MessageLog");
  const auto imported = std::find_if(
      log.begin(), log.end(), [](const auto& row) { return row[1] == "Populations imported"; });
  ASSERT_NE(imported, log.end());
  EXPECT_EQ((*imported)[4], "A");
  EXPECT_THAT((*imported)[5], HasSubstr("list.csv"));
}

class DataTablesRealDiskTest : public RealDiskModelTest {};

TEST_F(DataTablesRealDiskTest, OtherMetakitSoftwareReadsAFileAfterATypeChange) {
  const std::string path =
      Build("typed.tal", {.tables = {{.name = "Trees",
                                      .columns = {"Unit", "Height", "Count"},
                                      .rows = {{"001", "30,1", "4"}, {"002", "", ""}}}}});
  TallyModel& model = Open(path);
  ui_.setup_screen = [](TallyModel& m, DataStore&, int) {
    EXPECT_EQ(m.data_tables().RedefineTable("Trees",
                                            {{"Unit"}, {"Height", kD, "0", "60"}, {"Count", kW}}),
              "");
  };
  model.RunSetup();
  model_.reset();
  EXPECT_THAT(DiskRows(path, "Trees")[0], ElementsAre("001", "30.1", "4"));
  mk::ReferenceVerdict verdict;
  if (!mk::ReferenceCheck(path, &verdict)) GTEST_SKIP() << "no metakit-reference";
  EXPECT_TRUE(verdict.accepted) << verdict.output;
}

}  // namespace
}  // namespace woodtick
