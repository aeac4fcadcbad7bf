#include <gtest/gtest.h>

#include "store/data_store.h"
#include "store/store_test_util.h"

namespace woodtick {
namespace {

class DataStoreSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.CopyIn(Fixture("sample.tal"), "sample.tal"); }

  // Counts the free slots by taking them all and giving them back.
  int FreeSlots() {
    std::vector<int> taken;
    for (int slot; (slot = store_.GetViewIndex("Probe")) >= 0;) taken.push_back(slot);
    for (int slot : taken) store_.ReleaseView(slot);
    return static_cast<int>(taken.size());
  }
  std::string Text(int slot, int row, int col) {
    std::string text;
    EXPECT_EQ(store_.GetString(slot, row, col, &text), kStoreOk);
    return text;
  }

  TempDir dir_;
  std::string path_;
  RecordingReporter reporter_;
  DataStore store_{&reporter_};
};

TEST_F(DataStoreSelectionTest, KeyClausesMatchWithAndWithoutBlanks) {
  ASSERT_EQ(store_.Open(path_, true), kStoreOk);
  for (const char* clause : {"Block=System, Key=Version", "Block=System,Key=Version",
                             " Block = System , Key = Version ", "block=System,KEY=Version"}) {
    int sel = store_.OpenSelection("Globals", "Value", clause, "", "");
    ASSERT_GE(sel, 0) << clause;
    ASSERT_EQ(store_.View(sel).GetSize(), 1) << clause;
    EXPECT_EQ(store_.View(sel).NumProperties(), 1);
    EXPECT_EQ(Text(sel, 0, 0), "2005.05.03");
    EXPECT_EQ(store_.ReleaseView(sel), kStoreOk);
  }
  // Values keep their case; no match is an empty selection, not a failure.
  int sel = store_.OpenSelection("Globals", "Value", "Block=system, Key=Version", "", "");
  ASSERT_GE(sel, 0);
  EXPECT_EQ(store_.View(sel).GetSize(), 0);
  std::string text;
  EXPECT_EQ(store_.GetString(sel, 0, 0, &text), kStoreBadAddress);
  // The base opened for the selection stays open; the criteria slot does not.
  EXPECT_GE(store_.FindView("Globals"), 0);
  EXPECT_EQ(store_.FindView("SelCrit"), kStoreNotFound);
  EXPECT_EQ(store_.FindView("DGlobals"), sel);
}

TEST_F(DataStoreSelectionTest, ValuesAreComparedAfterConversionToTheColumnsType) {
  ASSERT_EQ(store_.Open(path_, false), kStoreOk);
  int buffer = store_.OpenAView("Buffer", false);
  for (int unit : {7, 8, 7}) {
    int row = store_.AddRow(buffer, -1);
    store_.SetInt(buffer, row, 0, unit);
    store_.SetString(buffer, row, 1, unit == 7 ? "A" : "B");
  }
  int sel = store_.OpenSelection("Buffer", "", "Unit=007", "", "Sevens");
  ASSERT_GE(sel, 0);
  EXPECT_EQ(store_.View(sel).GetSize(), 2);
  EXPECT_EQ(store_.FindView("Sevens"), sel);
  int both = store_.OpenSelection("Buffer", "", "Unit=7, Key=B", "", "");
  EXPECT_EQ(store_.View(both).GetSize(), 0);
  // A condition without "=" compares with an empty value.
  int empty = store_.OpenSelection("Tally", "", "Key=A, DatTable", "", "");
  EXPECT_EQ(store_.View(empty).GetSize(), 0);
  int blank = store_.OpenSelection("Tally", "", "DatTable", "", "");
  ASSERT_EQ(store_.View(blank).GetSize(), 1);
  EXPECT_EQ(Text(blank, 0, 0), "C");
}

TEST_F(DataStoreSelectionTest, SortAndColumnListsShapeTheResult) {
  ASSERT_EQ(store_.Open(path_, false), kStoreOk);
  int sel = store_.OpenSelection("Tally", "Key, Freq", "", "Freq", "ByFreq");
  ASSERT_GE(sel, 0);
  mk::View view = store_.View(sel);
  ASSERT_EQ(view.GetSize(), 3);
  ASSERT_EQ(view.NumProperties(), 2);
  EXPECT_EQ(Text(sel, 0, 0) + Text(sel, 1, 0) + Text(sel, 2, 0), "CAB");
  EXPECT_EQ(Text(sel, 0, 1), "0.25");

  int units = store_.OpenSelection("Trees", "Label,Num", "Unit=001", "Label", "");
  ASSERT_EQ(store_.View(units).GetSize(), 4);
  EXPECT_EQ(Text(units, 0, 0), "Fir");
  EXPECT_EQ(Text(units, 0, 1), "2");
  // Ties keep their base order.
  EXPECT_EQ(Text(units, 1, 1) + Text(units, 2, 1) + Text(units, 3, 1), "134");
}

TEST_F(DataStoreSelectionTest, WritesThroughASelectionLandInItsBase) {
  ASSERT_EQ(store_.Open(path_, true), kStoreOk);
  int globals = store_.OpenAView("Globals", true);
  int sel = store_.OpenSelection("Globals", "Value", "Block=System, Key=SaveInterval", "", "");
  ASSERT_EQ(store_.SetString(sel, 0, 0, "20"), kStoreOk);
  EXPECT_EQ(Text(globals, 1, 2), "20");
  EXPECT_EQ(Text(sel, 0, 0), "20");
  ASSERT_EQ(store_.SetInt(sel, 0, 0, 25), kStoreOk);
  EXPECT_EQ(Text(globals, 1, 2), "25");

  // Sorted and projected: the write still finds the base row and column.
  int sorted = store_.OpenSelection("Globals", "Value,Key", "Block=Tally", "Key", "");
  ASSERT_EQ(store_.View(sorted).GetSize(), 3);
  EXPECT_EQ(Text(sorted, 0, 1), "CurUnit");
  ASSERT_EQ(store_.SetString(sorted, 0, 0, "2"), kStoreOk);
  EXPECT_EQ(Text(globals, 6, 2), "2");
  EXPECT_EQ(Text(globals, 5, 2), "3");

  ASSERT_EQ(store_.ReleaseView(sel), kStoreOk);
  ASSERT_EQ(store_.Commit(), kStoreOk);
  Rows rows = FileRows(path_, "Globals");
  EXPECT_EQ(rows[1][2], "25");
  EXPECT_EQ(rows[6][2], "2");
}

TEST_F(DataStoreSelectionTest, MissingNamesFailWithoutTakingSlots) {
  ASSERT_EQ(store_.Open(path_, false), kStoreOk);
  ASSERT_GE(store_.OpenAView("Globals", false), 0);
  int free = FreeSlots();
  EXPECT_EQ(store_.OpenSelection("Globals", "Nope", "", "", ""), kStoreNotFound);
  EXPECT_EQ(store_.OpenSelection("Globals", "", "Nope=1", "", ""), kStoreNotFound);
  EXPECT_EQ(store_.OpenSelection("Globals", "", "", "Value,Nope", ""), kStoreNotFound);
  EXPECT_EQ(FreeSlots(), free);
  EXPECT_EQ(store_.OpenSelection("NoView", "", "", "", ""), kStoreNotFound);

  // No room for the result after the criteria slot.
  while (store_.GetViewIndex("Filler") >= 0) {
  }
  store_.ReleaseView(store_.FindView("Filler"));
  EXPECT_EQ(store_.OpenSelection("Globals", "", "Block=Tally", "", ""), kStoreNoFreeSlot);
  EXPECT_EQ(FreeSlots(), 1);
  int plain = store_.OpenSelection("Globals", "Value", "", "", "");
  EXPECT_GE(plain, 0);
}

TEST_F(DataStoreSelectionTest, ASelectionWhoseBaseLostRowsAnswersBadAddress) {
  ASSERT_EQ(store_.Open(path_, true), kStoreOk);
  int trees = store_.OpenAView("Trees", true);
  int sel = store_.OpenSelection("Trees", "Label", "Unit=002", "", "");
  ASSERT_EQ(store_.View(sel).GetSize(), 2);
  store_.View(trees).SetSize(4);  // the caller removes rows the selection shows
  std::string text = "stale";
  EXPECT_EQ(store_.GetString(sel, 0, 0, &text), kStoreBadAddress);
  EXPECT_EQ(store_.SetString(sel, 1, 0, "x"), kStoreBadAddress);
  int32_t number = 1;
  EXPECT_EQ(store_.GetInt(sel, 0, 0, &number), kStoreBadAddress);
  EXPECT_EQ(store_.View(trees).GetSize(), 4);
  // A selection built on the stale one is refused and takes no slot.
  int free = FreeSlots();
  EXPECT_EQ(store_.OpenSelection("DTrees", "", "Label=Fir", "", "Again"), kStoreBadAddress);
  EXPECT_EQ(FreeSlots(), free);
}

TEST_F(DataStoreSelectionTest, ASelectionWhoseBaseSlotWasReusedTouchesNothing) {
  ASSERT_EQ(store_.Open(path_, true), kStoreOk);
  int trees = store_.OpenAView("Trees", true);
  int sel = store_.OpenSelection("Trees", "Label", "Unit=002", "", "");
  ASSERT_GE(sel, 0);
  ASSERT_EQ(store_.ReleaseView(trees), kStoreOk);
  int buffer = store_.OpenAView("Buffer", true);
  ASSERT_EQ(buffer, trees);  // the slot now holds an unrelated view
  const int rows = store_.View(buffer).GetSize();
  EXPECT_LT(store_.AddRow(sel, -1), 0);
  EXPECT_LT(store_.SetString(sel, 0, 0, "x"), 0);
  EXPECT_LT(store_.SetInt(sel, 0, 0, 1), 0);
  EXPECT_EQ(store_.View(buffer).GetSize(), rows);
  // Released and taken again by the same view: still another copy.
  ASSERT_EQ(store_.ReleaseView(buffer), kStoreOk);
  ASSERT_EQ(store_.OpenAView("Trees", true), trees);
  EXPECT_LT(store_.AddRow(sel, -1), 0);
  EXPECT_EQ(store_.View(trees).GetSize(), 6);
}

TEST_F(DataStoreSelectionTest, ClosedStoreGivesTheOpenResult) {
  EXPECT_EQ(store_.OpenSelection("Globals", "", "Block=Tally", "", ""), kStoreClosed);
}

TEST_F(DataStoreSelectionTest, KeepingBufferedViewsReleasesTheirSelections) {
  ASSERT_EQ(store_.Open(path_, true), kStoreOk);
  int globals = store_.OpenAView("Globals", true);
  int sel = store_.OpenSelection("Globals", "Value", "Block=System", "", "");
  ASSERT_GE(sel, 0);
  ASSERT_EQ(store_.Close(true), kStoreOk);
  EXPECT_EQ(store_.state(), 2);
  EXPECT_EQ(store_.FindView("DGlobals"), kStoreNotFound);
  EXPECT_EQ(store_.FindView("Globals"), globals);
  // In the tally pattern a selection is still built on the kept copy.
  int again = store_.OpenSelection("Globals", "Value", "Block=Tally, Key=CurUnit", "", "");
  ASSERT_GE(again, 0);
  EXPECT_EQ(Text(again, 0, 0), "1");
  store_.SetString(again, 0, 0, "3");
  ASSERT_EQ(store_.Commit(), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Globals")[6][2], "3");
}

TEST_F(DataStoreSelectionTest, ClearBufferEmptiesTheKeptCopyUntilCommit) {
  {
    DataStore filler;
    ASSERT_EQ(filler.Open(path_, false), kStoreOk);
    int buffer = filler.OpenAView("Buffer", false);
    for (int i = 0; i < 3; ++i) filler.AddRow(buffer, -1);
    ASSERT_EQ(filler.Commit(), kStoreOk);
  }
  ASSERT_EQ(store_.Open(path_, true), kStoreOk);
  int buffer = store_.OpenAView("Buffer", true);
  ASSERT_EQ(store_.Close(true), kStoreOk);
  ASSERT_EQ(store_.ClearBuffer(), kStoreOk);
  EXPECT_EQ(store_.View(buffer).GetSize(), 0);
  EXPECT_EQ(FileRows(path_, "Buffer").size(), 3u);
  ASSERT_EQ(store_.Commit(), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Buffer").size(), 0u);
}

TEST_F(DataStoreSelectionTest, ClearBufferWithoutABufferViewTouchesNoSlot) {
  std::string path = dir_.CopyIn(Fixture("globals.mk"), "globals.tal");
  ASSERT_EQ(store_.Open(path, false), kStoreOk);
  int free = FreeSlots();
  EXPECT_EQ(store_.ClearBuffer(), kStoreNotFound);
  EXPECT_EQ(FreeSlots(), free);
}

TEST(NextTokenTest, CutsAtTheFirstDelimiterAndTrimsOnlyTheToken) {
  std::string source = "Block=System, Key=Version";
  std::string token;
  DataStore::NextToken(&source, &token, "=");
  EXPECT_EQ(token, "Block");
  EXPECT_EQ(source, "System, Key=Version");
  DataStore::NextToken(&source, &token, ",");
  EXPECT_EQ(token, "System");
  EXPECT_EQ(source, " Key=Version");

  source = " \t whole text\r\n";
  DataStore::NextToken(&source, &token, ",");
  EXPECT_EQ(token, "whole text");
  EXPECT_EQ(source, "");

  source = "a[b:S]";
  DataStore::NextToken(&source, &token, ",[]:");
  EXPECT_EQ(token, "a");
  EXPECT_EQ(source, "b:S]");
  source = ",x";
  DataStore::NextToken(&source, &token, ",");
  EXPECT_EQ(token, "");
  EXPECT_EQ(source, "x");
}

}  // namespace
}  // namespace woodtick
