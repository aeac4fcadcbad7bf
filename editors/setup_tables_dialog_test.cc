#include "editors/setup_tables_dialog.h"

#include <gmock/gmock.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editors/define_columns_dialog.h"
#include "editors/edit_data_dialog.h"
#include "editors/editors_test_support.h"

namespace woodtick {
namespace {

using testing::ElementsAre;
using Row = std::vector<std::string>;

// kRefused: OK is expected to be refused, leaving the screen open with
// everything typed; Escape then closes it.
enum class Close { kOk, kEscape, kRefused };

class SetupTablesDialogTest : public EditorsTest {
 protected:
  // Answers the next Define Columns screen as a user would: types the name
  // (when the box takes one), enters the column list and types it (unless
  // `columns` is null), then closes the screen. `*prefilled` receives the
  // column list the screen showed.
  void AnswerDefineColumns(const char* name, const char* columns, Close close = Close::kOk) {
    WhenModal<DefineColumnsDialog>([=, this](DefineColumnsDialog* dialog) {
      QApplication::setActiveWindow(dialog);
      auto* name_edit = Find<QLineEdit>(dialog, "tableName");
      auto* list = Find<QLineEdit>(dialog, "columnList");
      shown_name_ = name_edit->text().toStdString();
      shown_columns_ = list->text().toStdString();
      name_editable_ = name_edit->isEnabled();
      if (name_edit->isEnabled() && name != nullptr) {
        name_edit->setFocus();
        name_edit->clear();
        QTest::keyClicks(name_edit, name);
      }
      if (columns != nullptr) {
        QTest::mouseClick(list, Qt::LeftButton);
        list->selectAll();
        QTest::keyClicks(list, columns);
      }
      if (close != Close::kEscape) {
        QTest::mouseClick(Find<QPushButton>(dialog, "ok"), Qt::LeftButton);
      }
      if (close == Close::kRefused) {
        kept_after_refusal_ = dialog->isVisible() &&
                              (name == nullptr || name_edit->text() == QString(name)) &&
                              list->text() == QString(columns);
      }
      if (close != Close::kOk) QTest::keyClick(dialog, Qt::Key_Escape);
    });
  }

  // Opens the screen inside the setup cycle and runs `body` on it.
  void WithScreen(const std::function<void(SetupTablesDialog&)>& body) {
    RunInSetup([&](TallyModel& model, DataStore&) {
      SetupTablesDialog dialog(model, nullptr);
      ShowActive(&dialog);
      body(dialog);
    });
  }

  static void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton);
  }

  static QStringList ListedTables(QWidget* dialog) {
    auto* combo = Find<QComboBox>(dialog, "tableList");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
  }

  static void Select(QWidget* dialog, const QString& table) {
    auto* combo = Find<QComboBox>(dialog, "tableList");
    combo->setCurrentIndex(combo->findText(table));
  }

  std::string shown_name_;
  std::string shown_columns_;
  bool name_editable_ = false;
  bool kept_after_refusal_ = false;
};

TEST_F(SetupTablesDialogTest, ShowsItsTextsAndListsTheTables) {
  WithScreen([&](SetupTablesDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Setup Data Tables");
    EXPECT_EQ(Find<QPushButton>(&dialog, "deleteTable")->text(), "&Delete this Table");
    EXPECT_EQ(Find<QPushButton>(&dialog, "editTable")->text(), "&Edit this Table");
    EXPECT_EQ(Find<QPushButton>(&dialog, "createTable")->text(), "&Create New Table");
    EXPECT_TRUE(Find<QPushButton>(&dialog, "ok")->isDefault());
    EXPECT_EQ(ListedTables(&dialog), QStringList{"Trees"});
    EXPECT_EQ(Find<QComboBox>(&dialog, "tableList")->currentIndex(), 0);

    WhenModal<DefineColumnsDialog>([](DefineColumnsDialog* define) {
      EXPECT_EQ(define->windowTitle(), "Define Columns");
      EXPECT_EQ(Find<QLabel>(define, "columnsLabel")->text(),
                "Columns in Table, seperated by commas:");
      EXPECT_EQ(Find<QLabel>(define, "specialLabel")->text(),
                "\"Unit\", \"Num\", and \"Label\" are special column names. If used, they "
                "will automatically fill the sample's:");
      QTest::keyClick(define, Qt::Key_Escape);
    });
    Click(&dialog, "createTable");
  });
}

TEST_F(SetupTablesDialogTest, CreatesTablesWithTheirDictionaryRowsAndListEntries) {
  WithScreen([&](SetupTablesDialog& dialog) {
    AnswerDefineColumns(" Al pha ", " Unit, Num , Tree Height ");
    Click(&dialog, "createTable");
    EXPECT_TRUE(name_editable_);
    EXPECT_EQ(shown_name_, "");
    EXPECT_EQ(shown_columns_, "");
    AnswerDefineColumns("Beta", "Label");
    Click(&dialog, "createTable");
    // Sorted without regard to case, the first selected.
    EXPECT_EQ(ListedTables(&dialog), (QStringList{"Alpha", "Beta", "Trees"}));
    EXPECT_EQ(Find<QComboBox>(&dialog, "tableList")->currentText(), "Alpha");
  });
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(model_->tables_defined(), "Trees, Alpha, Beta");
  EXPECT_EQ(Setting("TablesDefined"), "Trees, Alpha, Beta");
  EXPECT_THAT(
      DictionaryRows("Alpha"),
      ElementsAre(Row{"Unit", "S", "Unit", "Y", "1", "C"}, Row{"Num", "S", "Num", "Y", "2", "C"},
                  Row{"Tree Height", "S", "Tree Height", "Y", "3", "C"}));
  // The reopened file has the new views, empty, with the blank-free names.
  EXPECT_THAT(Columns("Alpha"), ElementsAre("Unit", "Num", "TreeHeight"));
  EXPECT_TRUE(Rows("Alpha").empty());
  EXPECT_THAT(Columns("Beta"), ElementsAre("Label"));
  EXPECT_EQ(Rows("Trees").size(), 6u);
}

TEST_F(SetupTablesDialogTest, ATableCreatedAfterAUnitChangeReachesTheFile) {
  RunInSetup([&](TallyModel& model, DataStore&) {
    ASSERT_TRUE(model.SetNumberOfUnits("5"));
    SetupTablesDialog dialog(model, nullptr);
    ShowActive(&dialog);
    AnswerDefineColumns("Seedlings", "Unit, Num, Label, Height");
    Click(&dialog, "createTable");
  });
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_THAT(Columns("Seedlings"), ElementsAre("Unit", "Num", "Label", "Height"));
  EXPECT_EQ(Columns("Tally").back(), "U005Hit");
}

TEST_F(SetupTablesDialogTest, RefusesANameAlreadyInUse) {
  WithScreen([&](SetupTablesDialog& dialog) {
    AnswerDefineColumns("Trees", "Unit, Size", Close::kRefused);
    Click(&dialog, "createTable");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "The table 'Trees' already exists. Please choose another name.");
    EXPECT_EQ(ui_.messages[0].title, "Warning");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::kOk);
    EXPECT_TRUE(kept_after_refusal_);
    // The file matches view names without regard to case, so "trees" would
    // restructure the Trees view: refused the same way. A standard view is
    // never taken over either, and input that would break the file's
    // structure is refused too; each time what was typed stays to be
    // corrected.
    const char* const refused[][2] = {
        {"trees", "Unit"},
        {"Globals", "Unit"},
        {"", "Unit"},
        {"Plots", "Unit,,Num"},
        {"Plots", "Unit, unit"},
        {"Plo[ts", "Unit"},
        {"Plots", "Unit, Num, Label, Height, Dbh, Notes, Age"},
    };
    for (const auto& typed : refused) {
      kept_after_refusal_ = false;
      AnswerDefineColumns(typed[0], typed[1], Close::kRefused);
      Click(&dialog, "createTable");
      EXPECT_TRUE(kept_after_refusal_) << typed[0] << " " << typed[1];
    }
    EXPECT_EQ(ui_.messages.size(), 8u);
    EXPECT_EQ(ui_.messages[1].text,
              "The table 'trees' already exists. Please choose another name.");
  });
  EXPECT_EQ(model_->tables_defined(), "Trees");
  EXPECT_EQ(DictionaryRows("Trees").size(), 6u);
  EXPECT_TRUE(DictionaryRows("trees").empty());
  EXPECT_TRUE(DictionaryRows("Plots").empty());
  EXPECT_THAT(Columns("Globals"), ElementsAre("Block", "Key", "Value"));
  EXPECT_EQ(Columns("Trees").size(), 6u);
}

TEST_F(SetupTablesDialogTest, CancelledCreateChangesNothing) {
  WithScreen([&](SetupTablesDialog& dialog) {
    AnswerDefineColumns("Plots", "Unit", Close::kEscape);
    Click(&dialog, "createTable");
  });
  EXPECT_EQ(model_->tables_defined(), "Trees");
  EXPECT_TRUE(DictionaryRows("Plots").empty());
  EXPECT_TRUE(Columns("Plots").empty());
}

TEST_F(SetupTablesDialogTest, DeletingATableWithRecordsAsksFirst) {
  WithScreen([&](SetupTablesDialog& dialog) {
    ui_.answers = {MessageAnswer::kNo};
    Click(&dialog, "deleteTable");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "Trees contains 6 records.\nAre you sure you wish to delete it?");
    EXPECT_EQ(ui_.messages[0].title, "Confirm Delete");
    EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(ListedTables(&dialog), QStringList{"Trees"});
  });
  EXPECT_EQ(model_->tables_defined(), "Trees");
  EXPECT_EQ(DictionaryRows("Trees").size(), 6u);
  EXPECT_EQ(Rows("Trees").size(), 6u);
  EXPECT_EQ(Rows("Tally", 6)[0][5], "Trees");
}

TEST_F(SetupTablesDialogTest, DeletingATableDetachesItsPopulations) {
  WithScreen([&](SetupTablesDialog& dialog) {
    ui_.answers = {MessageAnswer::kYes};
    Click(&dialog, "deleteTable");
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[1].text,
              "The 'Trees' table was assigned to 2 populations. You must update them with an "
              "existing table before tallying.");
    EXPECT_EQ(ui_.messages[1].title, "Warning");
    EXPECT_EQ(ui_.messages[1].icon, MessageIcon::kExclamation);
    EXPECT_TRUE(ListedTables(&dialog).isEmpty());
    // With nothing selected the buttons do nothing.
    Click(&dialog, "deleteTable");
    Click(&dialog, "editTable");
    EXPECT_EQ(ui_.messages.size(), 2u);
  });
  EXPECT_FALSE(ui_.busy_during_message);
  EXPECT_EQ(model_->tables_defined(), "");
  EXPECT_EQ(Setting("TablesDefined"), "");
  EXPECT_TRUE(DictionaryRows("Trees").empty());
  EXPECT_TRUE(Columns("Trees").empty());
  const auto tally = Rows("Tally", 6);
  EXPECT_EQ(tally[0][5], "choose another table");
  EXPECT_EQ(tally[1][5], "choose another table");
  EXPECT_EQ(tally[2][5], "");
  // The standard views are untouched.
  EXPECT_EQ(Rows("Globals").size(), 8u);
  EXPECT_EQ(DictionaryRows("Tally").size(), 12u);
}

TEST_F(SetupTablesDialogTest, DeletingRewritesTheListWithoutBlanks) {
  WithScreen([&](SetupTablesDialog& dialog) {
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
      AnswerDefineColumns(name, "Unit");
      Click(&dialog, "createTable");
    }
    // An empty table goes without a question.
    Select(&dialog, "Beta");
    Click(&dialog, "deleteTable");
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(ListedTables(&dialog), (QStringList{"Alpha", "Gamma", "Trees"}));
  });
  EXPECT_EQ(model_->tables_defined(), "Trees,Alpha,Gamma");
  EXPECT_EQ(Setting("TablesDefined"), "Trees,Alpha,Gamma");
  EXPECT_TRUE(Columns("Beta").empty());
  EXPECT_THAT(Columns("Gamma"), ElementsAre("Unit"));
}

TEST_F(SetupTablesDialogTest, EditingKeepsTheDataOfKeptColumns) {
  // A setting changed earlier in the same visit must survive the reopen.
  WithScreen([&](SetupTablesDialog& dialog) {
    model_->SetSound(false);
    AnswerDefineColumns(nullptr, "Unit, Num, Label, Height, Diameter");
    Click(&dialog, "editTable");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "Trees contains 6 records.\nAll data will be lost from a column that is renamed "
              "or removed.");
    EXPECT_EQ(ui_.messages[0].title, "Confirm Edit");
    EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::kOkCancel);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_FALSE(name_editable_);
    EXPECT_EQ(shown_name_, "Trees");
    EXPECT_EQ(shown_columns_, "Unit, Num, Label, Height, Dbh, Notes");
    EXPECT_EQ(ListedTables(&dialog), QStringList{"Trees"});

    // The same visit goes on working on the reopened file.
    AnswerDefineColumns("Plots", "Unit, Num");
    Click(&dialog, "createTable");
    AnswerDefineColumns("Gamma", "Unit");
    Click(&dialog, "createTable");
    Select(&dialog, "Gamma");
    Click(&dialog, "deleteTable");
    EXPECT_EQ(ui_.messages.size(), 1u);
    // So does the population editor.
    DataStore& store = *model_->store();
    EditDataDialog editor(*model_, store.FindView("Tally"), std::make_unique<PopulationsMode>(),
                          nullptr);
    EXPECT_EQ(Find<QLabel>(&editor, "header")->text(), "Editing record 1 of 3 from Tally");
    Find<QLineEdit>(&editor, "field2")->setText("Yellow pine");
    editor.accept();
  });
  EXPECT_EQ(Rows("Tally", 2)[0][1], "Yellow pine");
  EXPECT_FALSE(model_->sound());
  EXPECT_EQ(Setting("Sound"), "N");
  EXPECT_EQ(model_->tables_defined(), "Trees,Plots");
  EXPECT_THAT(Columns("Plots"), ElementsAre("Unit", "Num"));
  EXPECT_EQ(DictionaryRows("Plots").size(), 2u);
  EXPECT_TRUE(Columns("Gamma").empty());
  EXPECT_TRUE(DictionaryRows("Gamma").empty());
  EXPECT_THAT(Columns("Trees"), ElementsAre("Unit", "Num", "Label", "Height", "Diameter"));
  EXPECT_THAT(Rows("Trees")[1], ElementsAre("001", "2", "Fir", "18", ""));
  EXPECT_THAT(DictionaryRows("Trees")[4], ElementsAre("Diameter", "S", "Diameter", "Y", "5", "C"));
  EXPECT_EQ(DictionaryRows("Trees").size(), 5u);
}

TEST_F(SetupTablesDialogTest, EditingWithoutEnteringTheColumnListChangesNothing) {
  WithScreen([&](SetupTablesDialog& dialog) {
    ui_.answers = {MessageAnswer::kOk, MessageAnswer::kCancel};
    AnswerDefineColumns(nullptr, nullptr);  // OK pressed, list never entered
    Click(&dialog, "editTable");
    // Cancel at the question stops before the screen opens.
    Click(&dialog, "editTable");
    EXPECT_EQ(ui_.messages.size(), 2u);
    // Entering the list and then Escape changes nothing either.
    ui_.answers = {MessageAnswer::kOk};
    AnswerDefineColumns(nullptr, "Unit", Close::kEscape);
    Click(&dialog, "editTable");
    // Nor does a seventh column, refused with the list kept for correcting.
    ui_.answers = {MessageAnswer::kOk};
    AnswerDefineColumns(nullptr, "Unit, Num, Label, Height, Dbh, Notes, Age", Close::kRefused);
    Click(&dialog, "editTable");
    EXPECT_TRUE(kept_after_refusal_);
    EXPECT_EQ(ui_.messages.size(), 5u);
  });
  EXPECT_EQ(DictionaryRows("Trees").size(), 6u);
  EXPECT_EQ(Columns("Trees").size(), 6u);
  EXPECT_THAT(Rows("Trees")[2], ElementsAre("001", "3", "Pine", "27.25", "40.1",
                                            "M\xFC"
                                            "ller's corner"));
}

}  // namespace
}  // namespace woodtick
