#include "editors/record_editor_modes.h"

#include <gmock/gmock.h>

#include "editors/editors_test_support.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

using testing::HasSubstr;
using testing::Pair;
using testing::UnorderedElementsAre;

using RecordEditorModesTest = EditorsTest;

TEST_F(RecordEditorModesTest, OnlyPopulationsAreHeldToTheHotKeyAndTableRules) {
  DataStore& store = *model_->store();
  const EditedRecord first{model_->tally_slot(), 0};  // A, Pine
  struct Case {
    const char* column;
    const char* typed;
    const char* refusal;  // the message title; "" when accepted
    const char* kept;     // the text checked (the editor puts back a refused one's predecessor)
  };
  const Case cases[] = {
      {"Key", "", "Missing Key", ""},
      {"Key", "b", "Duplicate Key", "b"},  // Fir's key, in another case
      {"Key", "a", "", "a"},               // its own key
      {"Key", "Q", "", "Q"},
      {"DatTable", "  Trees ", "", "Trees"},
      {"DatTable", "trees", "Table Name Error", "trees"},
      {"DatTable", " buffer", "Table Name Error", "buffer"},  // one of the program's own views
      {"DatTable", " ", "", ""},
      {"Desc", "", "", ""},
  };
  PopulationsMode populations;
  for (const Case& c : cases) {
    std::string text = c.typed;
    const std::optional<Message> refusal = populations.CheckField(*model_, first, c.column, &text);
    EXPECT_EQ(refusal ? refusal->title : "", c.refusal) << c.column << " " << c.typed;
    EXPECT_EQ(text, c.kept) << c.column << " " << c.typed;
  }
  std::string reserved = "Buffer";
  EXPECT_THAT(populations.CheckField(*model_, first, "DatTable", &reserved)->text,
              HasSubstr("reserved"));
  EXPECT_TRUE(populations.OneCharacter("Key"));
  EXPECT_FALSE(populations.OneCharacter("Label"));
  EXPECT_TRUE(populations.ChangesStrategies("Meth"));
  EXPECT_TRUE(populations.ChangesStrategies("Freq"));
  EXPECT_FALSE(populations.ChangesStrategies("DatTable"));

  // A data table may name its columns as it likes; none is a hot key.
  EditDataMode edit_data;
  DataEntryMode data_entry({&store, store.FindView("Trees"), 0, "001", "Pine", true, "1"});
  for (RecordEditorMode* mode :
       {static_cast<RecordEditorMode*>(&edit_data), static_cast<RecordEditorMode*>(&data_entry)}) {
    for (const Case& c : cases) {
      std::string text = c.typed;
      EXPECT_FALSE(mode->CheckField(*model_, first, c.column, &text)) << c.column;
      EXPECT_EQ(text, c.typed);
    }
    EXPECT_FALSE(mode->OneCharacter("Key"));
    EXPECT_FALSE(mode->ChangesStrategies("Meth"));
    EXPECT_FALSE(mode->RefuseNew(100));
  }
}

TEST_F(RecordEditorModesTest, EachModeStartsAndCountsForItsCaller) {
  int told = 0;
  PopulationsMode populations([&](int delta) { told += delta; });
  EXPECT_EQ(populations.FirstRecord(3), 0);
  EXPECT_FALSE(populations.RefuseNew(19));
  ASSERT_TRUE(populations.RefuseNew(20));
  EXPECT_EQ(populations.RefuseNew(20)->text, "Maximum populations is 20");
  populations.CountChanged(*model_, 1);
  EXPECT_EQ(told, 1);
  EXPECT_EQ(model_->num_populations(), 4);

  EditDataMode edit_data;
  EXPECT_EQ(edit_data.FirstRecord(6), 5);
  EXPECT_EQ(edit_data.FirstRecord(0), 0);
  edit_data.CountChanged(*model_, 1);
  EXPECT_EQ(model_->num_populations(), 4);

  // The HIT's texts fill the first showing only; Num only when the tally
  // screen shows its number box.
  DataEntryMode data_entry({nullptr, -1, 6, "007", "Fir", false, "12"});
  EXPECT_EQ(data_entry.FirstRecord(7), 6);
  EXPECT_THAT(data_entry.TakePrefill(),
              UnorderedElementsAre(Pair("Unit", "007"), Pair("Label", "Fir")));
  EXPECT_TRUE(data_entry.TakePrefill().empty());
}

}  // namespace
}  // namespace woodtick
