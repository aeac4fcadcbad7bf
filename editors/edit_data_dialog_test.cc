#include "editors/edit_data_dialog.h"

#include <gmock/gmock.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editors/editors_test_support.h"
#include "model/sampling/sampling_strategies.h"
#include "store/data_store.h"
#include "widgets/message_box.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

using testing::ElementsAre;

class EditDataDialogTest : public EditorsTest {
 protected:
  DataStore& store() { return *model_->store(); }
  int TreesSlot() { return store().FindView("Trees"); }

  static QLineEdit* Field(QWidget* dialog, int k) {
    return Find<QLineEdit>(dialog, qPrintable("field" + QString::number(k)));
  }
  static QString Text(QWidget* dialog, const char* label) {
    return Find<QLabel>(dialog, label)->text();
  }
  static void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton);
  }
  // Types into field k, replacing its text, then leaves it for field `to`.
  static void Type(QWidget* dialog, int k, const QString& text, int to) {
    QLineEdit* field = Field(dialog, k);
    field->setFocus();
    field->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(field, Qt::Key_Delete);
    } else {
      QTest::keyClicks(field, text);
    }
    Field(dialog, to)->setFocus();
    QTest::qWait(0);
  }
  // The newest MessageLog row: Msg, Level, Note.
  std::vector<std::string> LastLogEntry() {
    const auto rows = Rows("MessageLog");
    if (rows.empty()) return {};
    return {rows.back()[1], rows.back()[4], rows.back()[5]};
  }
};

TEST_F(EditDataDialogTest, PopulationsShowSixFieldsAndNavigate) {
  EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                        nullptr);
  ShowActive(&dialog);
  EXPECT_EQ(dialog.windowTitle(), "");
  EXPECT_EQ(Text(&dialog, "header"), "Editing record 1 of 3 from Tally");
  EXPECT_EQ(Text(&dialog, "navigationStatus"), "");
  const char* names[] = {"Key", "Label", "Desc", "Meth", "Freq", "DatTable"};
  for (int k = 1; k <= 6; ++k) {
    EXPECT_EQ(Text(&dialog, qPrintable("caption" + QString::number(k))), names[k - 1]);
    EXPECT_TRUE(Field(&dialog, k)->isVisible());
  }
  EXPECT_EQ(Field(&dialog, 1)->text(), "A");
  EXPECT_EQ(Field(&dialog, 1)->maxLength(), 1);
  EXPECT_EQ(Field(&dialog, 5)->text(), "1");
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 1));

  Click(&dialog, "previous");
  EXPECT_EQ(Text(&dialog, "navigationStatus"), "Already at beginning");
  EXPECT_EQ(dialog.current_record(), 0);
  Click(&dialog, "next");
  EXPECT_EQ(Text(&dialog, "navigationStatus"), "");
  EXPECT_EQ(Field(&dialog, 2)->text(), "Fir");
  Click(&dialog, "last");
  EXPECT_EQ(Text(&dialog, "header"), "Editing record 3 of 3 from Tally");
  Click(&dialog, "next");
  EXPECT_EQ(Text(&dialog, "navigationStatus"), "Already at end");
  EXPECT_EQ(Field(&dialog, 5)->text(), "0.25");
  Click(&dialog, "first");
  EXPECT_EQ(Field(&dialog, 3)->text(), "Ponderosa pine");
  dialog.reject();
  // Saving the six fields leaves the unit columns alone.
  EXPECT_THAT(Rows("Tally")[0], ElementsAre("A", "Pine", "Ponderosa pine", "C", "1", "Trees", "3",
                                            "3", "4", "4", "0", "0"));
}

TEST_F(EditDataDialogTest, EachCaptionLabelsItsFieldAndNoControlsOverlap) {
  EditDataDialog dialog(*model_, TreesSlot(), std::make_unique<EditDataMode>(), nullptr);
  ShowActive(&dialog);
  std::vector<QWidget*> shown;
  for (QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isVisible()) shown.push_back(w);
  }
  ASSERT_EQ(shown.size(), 22u);  // header, 6 captions, 6 fields, status, label, 7 buttons
  for (size_t i = 0; i < shown.size(); ++i) {
    const QString name = shown[i]->objectName();
    EXPECT_TRUE(dialog.rect().contains(shown[i]->geometry())) << name.toStdString();
    for (size_t j = i + 1; j < shown.size(); ++j) {
      EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
          << name.toStdString() << " " << shown[j]->objectName().toStdString();
    }
  }
  for (int k = 1; k <= 6; ++k) {
    const QRect caption =
        Find<QLabel>(&dialog, qPrintable("caption" + QString::number(k)))->geometry();
    const QRect field = Field(&dialog, k)->geometry();
    EXPECT_LT(caption.right(), field.left()) << k;
    EXPECT_TRUE(field.top() <= caption.center().y() && caption.center().y() <= field.bottom()) << k;
  }
}

TEST_F(EditDataDialogTest, NewPopulationsStopAtTwenty) {
  int told = 0;
  {
    EditDataDialog dialog(*model_, model_->tally_slot(),
                          std::make_unique<PopulationsMode>([&](int delta) { told += delta; }),
                          nullptr);
    ShowActive(&dialog);
    Click(&dialog, "newRecord");
    EXPECT_EQ(Text(&dialog, "navigationStatus"), "New record, please edit");
    EXPECT_EQ(Text(&dialog, "header"), "Editing record 4 of 4 from Tally");
    EXPECT_EQ(Field(&dialog, 1)->text(), "");
    Type(&dialog, 1, "D", 2);
    Type(&dialog, 2, "Oak", 3);
    Click(&dialog, "newRecord");
    EXPECT_TRUE(ui_.messages.empty());
    // Leaving a new population without a key is refused on the way out.
    Click(&dialog, "newRecord");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, "Missing Key");
    EXPECT_EQ(dialog.record_count(), 5);  // and stays on it
    ui_.messages.clear();
    for (int i = 5; i < 20; ++i) {
      Type(&dialog, 1, QString(QChar('A' + i)), 2);
      Click(&dialog, "newRecord");
    }
    Type(&dialog, 1, "Z", 2);
    EXPECT_EQ(dialog.record_count(), 20);
    EXPECT_TRUE(ui_.messages.empty());
    Click(&dialog, "newRecord");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Maximum populations is 20");
    EXPECT_EQ(ui_.messages[0].title, "Woodtick");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::kOk);
    EXPECT_EQ(dialog.record_count(), 20);
  }
  EXPECT_EQ(told, 17);
  EXPECT_EQ(model_->num_populations(), 20);
  EXPECT_EQ(Rows("Tally").size(), 20u);
  EXPECT_THAT(Rows("Tally", 2)[3], ElementsAre("D", "Oak"));
}

TEST_F(EditDataDialogTest, NewFromTheKeyboardChecksNoFieldTheUserDidNotLeave) {
  EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                        nullptr);
  ShowActive(&dialog);
  // A mnemonic clicks its button after a short animation.
  QTest::keyClick(Field(&dialog, 1), Qt::Key_N, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.record_count() == 4; }, 2000));
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 1));
  // The key box keeps the focus throughout: the form showing the next new
  // record is not the user leaving it.
  QTest::keyClicks(Field(&dialog, 1), "D");
  QTest::keyClick(Field(&dialog, 1), Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.record_count() == 5; }, 2000));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 1));
}

TEST_F(EditDataDialogTest, DataTablesTakeMoreThanTwentyRecords) {
  EditDataDialog dialog(*model_, TreesSlot(), std::make_unique<EditDataMode>(), nullptr);
  ShowActive(&dialog);
  for (int i = 0; i < 16; ++i) Click(&dialog, "newRecord");
  EXPECT_EQ(dialog.record_count(), 22);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EditDataDialogTest, DeleteLogsTheRecordAndShowsTheNextOne) {
  EditDataDialog dialog(*model_, TreesSlot(), std::make_unique<EditDataMode>(), nullptr);
  ShowActive(&dialog);
  // Edit-data mode starts at the last record.
  EXPECT_EQ(Text(&dialog, "header"), "Editing record 6 of 6 from Trees");
  Click(&dialog, "deleteRecord");
  EXPECT_THAT(LastLogEntry(),
              ElementsAre("Data record deleted while in Edit Data", "A",
                          "Record 6 from the Trees table: 002, 6, Pine, 30, 44.4, scar ^ 2m"));
  EXPECT_EQ(Text(&dialog, "header"), "Editing record 5 of 5 from Trees");
  EXPECT_EQ(Text(&dialog, "navigationStatus"), "Record deleted");
  EXPECT_EQ(Field(&dialog, 6)->text(), "near road, north side");

  for (int i = 0; i < 5; ++i) Click(&dialog, "deleteRecord");
  EXPECT_EQ(Text(&dialog, "header"), "This table is empty");
  for (const char* button : {"deleteRecord", "first", "previous", "next", "last"}) {
    EXPECT_FALSE(Find<QPushButton>(&dialog, button)->isEnabled()) << button;
  }
  EXPECT_FALSE(Field(&dialog, 1)->isVisible());
  EXPECT_TRUE(Find<QPushButton>(&dialog, "newRecord")->isEnabled());
  Click(&dialog, "newRecord");
  EXPECT_TRUE(Find<QPushButton>(&dialog, "last")->isEnabled());
  EXPECT_EQ(Text(&dialog, "header"), "Editing record 1 of 1 from Trees");
  dialog.accept();
  EXPECT_EQ(Rows("Trees").size(), 1u);
}

TEST_F(EditDataDialogTest, DeletingAPopulationLogsAndCounts) {
  int told = 0;
  EditDataDialog dialog(*model_, model_->tally_slot(),
                        std::make_unique<PopulationsMode>([&](int delta) { told += delta; }),
                        nullptr);
  ShowActive(&dialog);
  Click(&dialog, "next");
  Click(&dialog, "deleteRecord");
  EXPECT_THAT(LastLogEntry(),
              ElementsAre("Population record deleted", "A",
                          "Record 2 from the Tally table: B, Fir, Douglas-fir, S, 5, Trees"));
  EXPECT_EQ(told, -1);
  EXPECT_EQ(model_->num_populations(), 2);
  EXPECT_EQ(Field(&dialog, 2)->text(), "Snag");
}

TEST_F(EditDataDialogTest, FieldChecksRefuseAndReturnTheFocus) {
  EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                        nullptr);
  ShowActive(&dialog);
  Type(&dialog, 1, "", 2);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "You must enter a hotkey for this population!");
  EXPECT_EQ(ui_.messages[0].title, "Missing Key");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 1));
  Type(&dialog, 1, "Q", 6);

  Type(&dialog, 6, "trees", 1);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text,
            "The table 'trees' does not exist! Check your spelling and case.");
  EXPECT_EQ(ui_.messages[1].title, "Table Name Error");
  EXPECT_EQ(Field(&dialog, 6)->text(), "Trees");
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 6));

  Type(&dialog, 6, "  Trees ", 1);
  EXPECT_EQ(Field(&dialog, 6)->text(), "Trees");
  Type(&dialog, 6, "", 1);  // no data table is fine
  EXPECT_EQ(ui_.messages.size(), 2u);
  // Saving is never blocked by a refused field.
  Click(&dialog, "next");
  EXPECT_THAT(Rows("Tally", 6)[0], ElementsAre("Q", "Pine", "Ponderosa pine", "C", "1", ""));
}

TEST_F(EditDataDialogTest, EveryWayOfLeavingARecordRunsTheChecksFirst) {
  EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                        nullptr);
  ShowActive(&dialog);
  // Typed and left without the field losing the focus.
  Field(&dialog, 6)->setText("Logz");
  QTest::keyClick(Field(&dialog, 6), Qt::Key_Return);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "Table Name Error");
  EXPECT_TRUE(dialog.isVisible());
  QTest::qWait(0);
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 6));

  Field(&dialog, 1)->setText("");
  QTest::keyClick(Field(&dialog, 6), Qt::Key_Escape);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].title, "Missing Key");
  EXPECT_TRUE(dialog.isVisible());
  QTest::qWait(0);
  EXPECT_EQ(dialog.current_record(), 0);
  EXPECT_THAT(Rows("Tally", 6)[0], ElementsAre("A", "Pine", "Ponderosa pine", "C", "1", "Trees"));

  // A key another population has, in either case, is refused too.
  Field(&dialog, 1)->setText("b");
  QTest::keyClick(Field(&dialog, 1), Qt::Key_Return);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.messages[2].title, "Duplicate Key");
  EXPECT_EQ(ui_.messages[2].icon, MessageIcon::kExclamation);
  EXPECT_NE(ui_.messages[2].text.find("Fir"), std::string::npos);
  QTest::qWait(0);
  EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 1));
  EXPECT_TRUE(dialog.isVisible());

  Field(&dialog, 1)->setText("a");  // its own key in another case is fine
  QTest::keyClick(Field(&dialog, 1), Qt::Key_Return);
  EXPECT_EQ(ui_.messages.size(), 3u);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_THAT(Rows("Tally", 6)[0], ElementsAre("a", "Pine", "Ponderosa pine", "C", "1", "Trees"));
}

TEST_F(EditDataDialogTest, DeleteThrowsARecordAwayWithoutCheckingIt) {
  EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                        nullptr);
  ShowActive(&dialog);
  Click(&dialog, "newRecord");  // an empty population, its key box focused
  ASSERT_EQ(QApplication::focusWidget(), Field(&dialog, 1));
  Click(&dialog, "deleteRecord");
  ASSERT_EQ(ui_.messages.size(), 1u);  // the question, no check
  EXPECT_EQ(ui_.messages[0].title, "Confirm Delete");
  EXPECT_EQ(dialog.record_count(), 3);
}

// Typed over a stored value and refused, however the field is left: the
// value before comes back, and closing then saves that, never the refusal.
TEST_F(EditDataDialogTest, ARefusedValueGivesWayToTheOneBefore) {
  enum class Leave { kOtherField, kEscape };
  struct Case {
    int record;  // of Tally: Pine (key A), Fir (key B), Snag (key C)
    int field;
    const char* typed;
    Leave leave;
    const char* title;
    const char* before;
  };
  const Case cases[] = {
      {0, 6, "Logz", Leave::kOtherField, "Table Name Error", "Trees"},
      {0, 6, "Logz", Leave::kEscape, "Table Name Error", "Trees"},
      {1, 6, "Globals", Leave::kOtherField, "Table Name Error", "Trees"},
      {0, 1, "", Leave::kOtherField, "Missing Key", "A"},
      {2, 1, "", Leave::kEscape, "Missing Key", "C"},
      {1, 1, "a", Leave::kOtherField, "Duplicate Key", "B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " in field " + std::to_string(c.field));
    const auto stored = Rows("Tally", 6);
    ui_.messages.clear();
    EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                          nullptr);
    ShowActive(&dialog);
    for (int i = 0; i < c.record; ++i) Click(&dialog, "next");
    if (c.leave == Leave::kOtherField) {
      Type(&dialog, c.field, c.typed, c.field == 1 ? 2 : 1);
    } else {
      Field(&dialog, c.field)->setText(c.typed);
      QTest::keyClick(Field(&dialog, c.field), Qt::Key_Escape);
      QTest::qWait(0);
    }
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, c.title);
    EXPECT_EQ(Field(&dialog, c.field)->text().toStdString(), c.before);
    EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, c.field));
    QTest::keyClick(Field(&dialog, c.field), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(Rows("Tally", 6), stored);
  }
}

// Shows real message boxes, as the program does, and records them.
class MessageBoxUi : public FakeUi {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    FakeUi::ShowMessage(message);
    ShowMessageBox(nullptr, QMessageBox::Warning, ToQString(message.title),
                   ToQString(message.text));
    return MessageAnswer::kOk;
  }
};

TEST_F(EditDataDialogTest, ARealMessageBoxLeavesTheFocusOnTheRefusedField) {
  MessageBoxUi ui;
  model_.reset();  // one program holds the file at a time
  TallyModel boxed(ui);
  boxed.SetStartupFile(path_);
  ASSERT_TRUE(boxed.OpenTallyFile());
  EditDataDialog dialog(boxed, boxed.tally_slot(), std::make_unique<PopulationsMode>(), nullptr);
  ShowActive(&dialog);
  QString shown;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    shown = box->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  Type(&dialog, 1, "", 2);
  QTest::qWait(50);
  EXPECT_EQ(shown, "You must enter a hotkey for this population!");
  EXPECT_EQ(ui.messages.size(), 1u);
  // The dialog's own focus (what it gets back when active again).
  EXPECT_EQ(dialog.focusWidget(), Field(&dialog, 1));
}

TEST_F(EditDataDialogTest, MethodChangeRebuildsTheStrategiesOnClosing) {
  ASSERT_EQ(model_->strategies()->entry(2).method, 'R');
  {
    EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                          nullptr);
    ShowActive(&dialog);
    Click(&dialog, "last");
    Type(&dialog, 4, "C", 5);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
  }
  EXPECT_EQ(Rows("Tally", 4)[2][3], "C");
  EXPECT_EQ(model_->strategies()->entry(2).method, 'C');
}

TEST_F(EditDataDialogTest, EveryWayOfClosingSavesTheRecord) {
  const int slot = TreesSlot();
  {
    EditDataDialog dialog(*model_, slot, std::make_unique<EditDataMode>(), nullptr);
    ShowActive(&dialog);
    QTest::keyClick(Field(&dialog, 4), Qt::Key_End);
    QTest::keyClicks(Field(&dialog, 4), "1");
    QTest::keyClick(&dialog, Qt::Key_Escape);
  }
  {
    EditDataDialog dialog(*model_, slot, std::make_unique<EditDataMode>(), nullptr);
    ShowActive(&dialog);
    QTest::keyClick(Field(&dialog, 5), Qt::Key_End);
    QTest::keyClicks(Field(&dialog, 5), "2");
    dialog.close();  // the close box
  }
  {
    EditDataDialog dialog(*model_, slot, std::make_unique<EditDataMode>(), nullptr);
    ShowActive(&dialog);
    Field(&dialog, 6)->setText("gone");
    QTest::keyClick(Field(&dialog, 6), Qt::Key_Return);  // the default OK
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_THAT(Rows("Trees")[5], ElementsAre("002", "6", "Pine", "301", "44.42", "gone"));
}

TEST_F(EditDataDialogTest, DataEntryFillsTheHitOnTheFirstShowingOnly) {
  const int slot = TreesSlot();
  const int row = store().AddRow(slot, -1);
  RecordEditorRequest request{&store(), slot, row, "007", "Fir", true, "12"};
  {
    EditDataDialog dialog(*model_, slot, std::make_unique<DataEntryMode>(request), nullptr);
    ShowActive(&dialog);
    EXPECT_EQ(Text(&dialog, "header"), "Editing record 7 of 7 from Trees");
    EXPECT_EQ(Field(&dialog, 1)->text(), "007");
    EXPECT_EQ(Field(&dialog, 2)->text(), "12");
    EXPECT_EQ(Field(&dialog, 3)->text(), "Fir");
    // The first field not filled from the HIT takes the typing.
    EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 4));
    QTest::keyClicks(Field(&dialog, 4), "14.5");
    Click(&dialog, "newRecord");
    EXPECT_EQ(Field(&dialog, 1)->text(), "");
    EXPECT_EQ(Field(&dialog, 3)->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 1));
    Click(&dialog, "deleteRecord");
    EXPECT_THAT(LastLogEntry(), ElementsAre("Data record deleted while in Data Entry", "A",
                                            "Record 8 from the Trees table: , , , , , "));
  }
  EXPECT_THAT(Rows("Trees")[6], ElementsAre("007", "12", "Fir", "14.5", "", ""));
  EXPECT_EQ(Rows("Trees").size(), 7u);

  // Without the Num box the stored Num stays.
  request.row = store().AddRow(slot, -1);
  request.fill_num = false;
  store().SetString(slot, request.row, 1, "99");
  {
    EditDataDialog dialog(*model_, slot, std::make_unique<DataEntryMode>(request), nullptr);
    ShowActive(&dialog);
    EXPECT_EQ(Field(&dialog, 2)->text(), "99");
    EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 2));
  }
  EXPECT_THAT(Rows("Trees", 3)[7], ElementsAre("007", "99", "Fir"));
}

}  // namespace
}  // namespace woodtick

namespace woodtick {
namespace {

TEST_F(EditDataDialogTest, ANumberColumnRefusesOtherValuesOnEveryWayOfLeavingTheRecord) {
  RunInSetup([](TallyModel& model, DataStore&) {
    ASSERT_EQ(
        model.data_tables().RedefineTable("Trees", {{"Unit"},
                                                    {"Num"},
                                                    {"Label"},
                                                    {"Height", ColumnType::kDecimal, "0", "60"},
                                                    {"Dbh", ColumnType::kDecimal},
                                                    {"Notes"}}),
        "");
  });
  struct Way {
    const char* name;
    std::function<void(EditDataDialog*)> leave;
  };
  const Way ways[] = {
      {"OK", [](EditDataDialog* d) { Click(d, "ok"); }},
      {"Enter", [](EditDataDialog* d) { QTest::keyClick(Field(d, 4), Qt::Key_Return); }},
      {"Escape", [](EditDataDialog* d) { QTest::keyClick(Field(d, 4), Qt::Key_Escape); }},
      {"close box", [](EditDataDialog* d) { d->close(); }},
      {"New", [](EditDataDialog* d) { Click(d, "newRecord"); }},
      {"<<", [](EditDataDialog* d) { Click(d, "first"); }},
      {"<", [](EditDataDialog* d) { Click(d, "previous"); }},
      {">", [](EditDataDialog* d) { Click(d, "next"); }},
      {">>", [](EditDataDialog* d) { Click(d, "last"); }},
      {"leaving the field", [](EditDataDialog* d) { Field(d, 5)->setFocus(); }},
  };
  for (const Way& way : ways) {
    for (const char* typed : {"pf", "60.5", "1e2"}) {
      ui_.messages.clear();
      EditDataDialog dialog(*model_, TreesSlot(), std::make_unique<EditDataMode>(), nullptr);
      ShowActive(&dialog);
      dialog.GoPrevious();  // record 5 of 6: every way moves or closes
      Field(&dialog, 4)->setFocus();
      Field(&dialog, 4)->setText(typed);
      way.leave(&dialog);
      QTest::qWait(0);
      ASSERT_EQ(ui_.messages.size(), 1u) << way.name << " " << typed;
      EXPECT_EQ(ui_.messages[0].title, "Value Not Allowed");
      EXPECT_EQ(ui_.messages[0].text, std::string("The value '") + typed +
                                          "' does not fit the column Height, which takes a "
                                          "decimal number from 0 to 60.");
      EXPECT_TRUE(dialog.isVisible()) << way.name;
      EXPECT_EQ(dialog.current_record(), 4) << way.name;
      EXPECT_EQ(Field(&dialog, 4)->text(), typed) << way.name;
      EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, 4)) << way.name;
      EXPECT_EQ(Rows("Trees").size(), 6u) << way.name;
      EXPECT_EQ(Rows("Trees")[4][3], "12.5") << way.name;
      // Corrected, with a decimal comma, or emptied: it is stored.
      Field(&dialog, 4)->setText(way.name[0] == 'O' ? "30,1" : "");
      Click(&dialog, "ok");
      EXPECT_FALSE(dialog.isVisible()) << way.name;
      EXPECT_EQ(Rows("Trees")[4][3], way.name[0] == 'O' ? "30.1" : "nan") << way.name;
      EXPECT_EQ(ReadFieldText(store(), TreesSlot(), 4, 3), way.name[0] == 'O' ? "30.1" : "");
      WriteFieldText(store(), TreesSlot(), 4, 3, "12.5");
    }
  }
}

}  // namespace
}  // namespace woodtick
