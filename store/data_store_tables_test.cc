#include <gtest/gtest.h>

#include "store/data_store.h"
#include "store/store_test_util.h"

namespace woodtick {
namespace {

enum DictionaryColumn {
  kTableName = 0,
  kFieldType = 1,
  kColumnName = 3,
  kIsUsed = 4,
  kOrder1 = 13
};

class DataStoreTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.CopyIn(Fixture("dictionary.mk"), "dictionary.tal");
    ASSERT_EQ(store_.Open(path_, false), kStoreOk);
    dictionary_ = store_.OpenAView("DataDictionary", false);
    ASSERT_GE(dictionary_, 0);
  }

  int AddColumn(const std::string& table, const std::string& column, const std::string& type,
                const std::string& used, int order) {
    int row = store_.AddRow(dictionary_, -1);
    store_.SetString(dictionary_, row, kTableName, table);
    store_.SetString(dictionary_, row, kFieldType, type);
    store_.SetString(dictionary_, row, kColumnName, column);
    store_.SetString(dictionary_, row, kIsUsed, used);
    store_.SetInt(dictionary_, row, kOrder1, order);
    return row;
  }

  // The file's description of one view, e.g. "Plots[Unit:S]".
  std::string ViewDescription(const std::string& name) {
    std::string structure = store_.state() == 1 ? FileStructure(path_) : "";
    size_t at = ("," + structure).find("," + name + "[");
    if (at == std::string::npos) return "";
    return structure.substr(at, structure.find(']', at) - at + 1);
  }

  TempDir dir_;
  std::string path_;
  RecordingReporter reporter_;
  DataStore store_{&reporter_};
  int dictionary_ = -1;
};

TEST_F(DataStoreTablesTest, BuildsTheWorkedExampleAndReactsToIsUsed) {
  ASSERT_EQ(store_.DefineTable("Plots", "Order1"), kStoreOk);
  EXPECT_EQ(ViewDescription("Plots"), "Plots[Unit:S,Num:I,TreeHeight:F,Label:S]");
  EXPECT_EQ(store_.ViewList(), "DataDictionary, Plots");

  // Row 7 is the Notes row, numbered 4 but not used.
  std::string column;
  store_.GetString(dictionary_, 7, kColumnName, &column);
  ASSERT_EQ(column, "Notes");
  store_.SetString(dictionary_, 7, kIsUsed, "Y");
  ASSERT_EQ(store_.DefineTable("Plots", "Order1"), kStoreOk);
  EXPECT_EQ(ViewDescription("Plots"), "Plots[Unit:S,Num:I,TreeHeight:F,Notes:S,Label:S]");
}

TEST_F(DataStoreTablesTest, OrderTypesAndTableNamesFollowTheDictionary) {
  AddColumn("Stems", "Second", "", "Y", 2);
  AddColumn("Stems", "First", "Q", "M", 1);
  AddColumn("Stems", "Also Second", "D", "Y", 2);
  AddColumn("stems", "Lower", "S", "Y", 3);
  AddColumn("Stems", "Skipped", "S", "y", 4);
  AddColumn("Stems", "Tail", "I", "Y", 0);
  AddColumn("Stems", "Never", "S", "Y", -1);
  ASSERT_EQ(store_.DefineTable("Stems", "Order1"), kStoreOk);
  EXPECT_EQ(ViewDescription("Stems"), "Stems[First:S,Second:S,AlsoSecond:D,Tail:I]");
}

TEST_F(DataStoreTablesTest, RenamingAColumnKeepsTheOthersData) {
  AddColumn("Pets", "Name", "S", "Y", 1);
  int age = AddColumn("Pets", "Age", "I", "Y", 2);
  AddColumn("Pets", "Notes", "S", "Y", 3);
  ASSERT_EQ(store_.DefineTable("Pets", "Order1"), kStoreOk);
  int pets = store_.OpenAView("Pets", false);
  int row = store_.AddRow(pets, -1);
  store_.SetString(pets, row, 0, "Rex");
  store_.SetInt(pets, row, 1, 7);
  store_.SetString(pets, row, 2, "barks");

  store_.SetString(dictionary_, age, kColumnName, "Years");
  ASSERT_EQ(store_.DefineTable("Pets", "Order1"), kStoreOk);
  EXPECT_EQ(store_.FindView("Pets"), kStoreNotFound);  // released; callers reopen it
  EXPECT_EQ(ViewDescription("Pets"), "Pets[Name:S,Years:I,Notes:S]");
  Rows rows = FileRows(path_, "Pets");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"Rex", "0", "barks"}));
}

TEST_F(DataStoreTablesTest, RefusesWhatItCannotBuild) {
  std::string before = FileStructure(path_);
  EXPECT_EQ(store_.DefineTable("Nothing", "Order1"), kStoreNotFound);
  EXPECT_EQ(store_.DefineTable("Plots", "NoSuchOrder"), kStoreNotFound);
  AddColumn("Twice", "Same", "S", "Y", 1);
  AddColumn("Twice", "Same", "I", "Y", 2);
  EXPECT_EQ(store_.DefineTable("Twice", "Order1"), kStoreBadDefinition);
  AddColumn("Bad[Name", "Col", "S", "Y", 1);
  EXPECT_EQ(store_.DefineTable("Bad[Name", "Order1"), kStoreBadDefinition);
  // A name with a comma would silently make two columns.
  AddColumn("Comma", "Height,Dbh", "S", "Y", 1);
  EXPECT_EQ(store_.DefineTable("Comma", "Order1"), kStoreBadDefinition);
  ASSERT_EQ(store_.Commit(), kStoreOk);
  EXPECT_EQ(FileStructure(path_), before);
}

TEST_F(DataStoreTablesTest, NeedTheFileHeldOpen) {
  ASSERT_EQ(store_.Close(true), kStoreOk);
  EXPECT_EQ(store_.state(), 3);
  EXPECT_EQ(store_.DefineTable("Plots", "Order1"), kStoreClosed);
  EXPECT_EQ(store_.DropView("DataDictionary"), kStoreClosed);
  ASSERT_EQ(store_.Close(false), kStoreOk);
  EXPECT_EQ(store_.DefineTable("Plots", "Order1"), kStoreClosed);
  EXPECT_EQ(store_.DropView("DataDictionary"), kStoreClosed);
  EXPECT_EQ(FileStructure(path_), FileStructure(Fixture("dictionary.mk")));
}

class DropViewTest : public ::testing::Test {
 protected:
  void MakeFile(std::initializer_list<const char*> views) {
    path_ = dir_.File("views.tal");
    std::unique_ptr<mk::Storage> storage;
    ASSERT_TRUE(mk::Storage::Open(path_, &storage).ok());
    for (const char* view : views) {
      mk::View v = storage->GetAs(view);
      v.InsertEmptyRowsAt(0, 2);
    }
    ASSERT_TRUE(storage->Commit().ok());
    storage.reset();
    ASSERT_EQ(store_.Open(path_, false), kStoreOk);
  }

  TempDir dir_;
  std::string path_;
  DataStore store_;
};

TEST_F(DropViewTest, CutsOnlyTheNamedEntryAndItsComma) {
  MakeFile({"OldPlots[a:S]", "Plots[b:I]", "Other[c:D]", "Last[d:S]"});
  EXPECT_EQ(store_.DropView("plots"), kStoreNotFound);
  EXPECT_EQ(store_.DropView("Plot"), kStoreNotFound);
  ASSERT_EQ(store_.DropView("Plots"), kStoreOk);
  EXPECT_EQ(FileStructure(path_), "OldPlots[a:S],Other[c:D],Last[d:S]");
  EXPECT_EQ(store_.ViewList(), "OldPlots, Other, Last");
  EXPECT_EQ(FileRows(path_, "OldPlots").size(), 2u);

  ASSERT_EQ(store_.DropView("Last"), kStoreOk);
  EXPECT_EQ(FileStructure(path_), "OldPlots[a:S],Other[c:D]");
  ASSERT_EQ(store_.DropView("OldPlots"), kStoreOk);
  EXPECT_EQ(FileStructure(path_), "Other[c:D]");
  ASSERT_EQ(store_.DropView("Other"), kStoreOk);
  EXPECT_EQ(FileStructure(path_), "");
  EXPECT_EQ(store_.ViewList(), "");
  EXPECT_EQ(store_.DropView("Other"), kStoreNotFound);
}

TEST_F(DropViewTest, TheFixtureLosesItsLastView) {
  path_ = dir_.CopyIn(Fixture("drop-view.mk"), "drop-view.tal");
  ASSERT_EQ(store_.Open(path_, false), kStoreOk);
  ASSERT_EQ(store_.DropView("Last"), kStoreOk);
  EXPECT_EQ(FileStructure(path_), "First[x:S]");
  EXPECT_EQ(FileRows(path_, "First")[0][0], "first view");
}

}  // namespace
}  // namespace woodtick
