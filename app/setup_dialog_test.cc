#include "app/setup_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/main_dialog.h"
#include "app/testing/app_fixture.h"
#include "model/tally_model.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

class SetupDialogTest : public AppTest {
 protected:
  void Open() { path_ = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal")); }
  // Runs the Setup screen, letting `act` work on it before OK.
  void RunSetup(const std::function<void(QWidget*)>& act) {
    auto main = OpenMain(path_);
    WhenModal(QStringLiteral("setupDialog"), [&](QWidget* setup) {
      act(setup);
      Child<QPushButton>(setup, QStringLiteral("okButton"))->click();
    });
    main->Setup();
    model_show_num_box_ = main->model().settings().show_num_box();
    model_units_ = main->model().settings().num_units();
    file_name_ = Child<QLineEdit>(main.get(), QStringLiteral("fileNameBox"))->text();
  }
  void SetDatTable(int row, const std::string& table) {
    EditTallyFile(path_, [&](DataStore& store) {
      store.SetString(store.OpenAView("Tally", false), row, 5, table);
    });
  }
  // Clicks "Show Last Hit Number", answering a warning if one comes.
  void ClickShowNumBox(QWidget* setup, std::vector<SeenMessage>* seen) {
    AnswerMessages({QStringLiteral("OK")}, seen);
    Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->click();
    checked_ = Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->isChecked();
  }

  QString path_;
  bool model_show_num_box_ = false;
  int model_units_ = 0;
  QString file_name_;
  bool checked_ = false;
};

TEST_F(SetupDialogTest, ShowsTheSettingsAndAHundredSaveIntervals) {
  Open();
  int items = 0;
  QString first, last, selected, units, populations;
  bool sound = false, counts = true, num_box = true;
  RunSetup([&](QWidget* setup) {
    auto* list = Child<QComboBox>(setup, QStringLiteral("saveIntervalList"));
    items = list->count();
    first = list->itemText(0);
    last = list->itemText(99);
    selected = list->currentText();
    units = Child<QLabel>(setup, QStringLiteral("numUnitsLabel"))->text();
    populations = Child<QLabel>(setup, QStringLiteral("numPopulationsLabel"))->text();
    sound = Child<QCheckBox>(setup, QStringLiteral("soundCheck"))->isChecked();
    counts = Child<QCheckBox>(setup, QStringLiteral("countsOnButtonsCheck"))->isChecked();
    num_box = Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->isChecked();
  });
  EXPECT_EQ(items, 100);
  EXPECT_EQ(first, QStringLiteral("1"));
  EXPECT_EQ(last, QStringLiteral("100"));
  EXPECT_EQ(selected, QStringLiteral("5"));  // SaveInterval 5: the fifth item
  EXPECT_EQ(units, QStringLiteral("3"));
  EXPECT_EQ(populations, QStringLiteral("3"));
  EXPECT_TRUE(sound);
  EXPECT_TRUE(counts);
  EXPECT_FALSE(num_box);
  // The file name box shows the same name after Setup.
  EXPECT_EQ(file_name_, QStringLiteral("plot.tal"));
}

TEST_F(SetupDialogTest, EveryControlWritesItsSettingAtOnce) {
  Open();
  RunSetup([&](QWidget* setup) {
    auto* list = Child<QComboBox>(setup, QStringLiteral("saveIntervalList"));
    list->setCurrentIndex(24);
    emit list->activated(24);
    Child<QCheckBox>(setup, QStringLiteral("soundCheck"))->click();
    Child<QCheckBox>(setup, QStringLiteral("countsOnButtonsCheck"))->click();
  });
  EXPECT_EQ(ReadSetting(path_, "SaveInterval"), "25");
  EXPECT_EQ(ReadSetting(path_, "Sound"), "N");
  EXPECT_EQ(ReadSetting(path_, "ShowCountsOnButtons"), "N");
}

TEST_F(SetupDialogTest, ShowLastHitNumberNeedsOneSharedTable) {
  Open();  // Pine and Fir use Trees, Snag none
  std::vector<SeenMessage> seen;
  RunSetup([&](QWidget* setup) { ClickShowNumBox(setup, &seen); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, QStringLiteral("WARNING"));
  EXPECT_EQ(seen[0].text, QStringLiteral("In order to select the 'Show Last Hit Number' option, "
                                         "all populations must use the same data table."));
  EXPECT_EQ(seen[0].icon, QMessageBox::Warning);
  EXPECT_FALSE(checked_);
  EXPECT_FALSE(model_show_num_box_);
  EXPECT_EQ(ReadSetting(path_, "ShowNumBox"), "N");
}

TEST_F(SetupDialogTest, ShowLastHitNumberPassesWhenAllShareATableWithNum) {
  Open();
  SetDatTable(2, "Trees");
  std::vector<SeenMessage> seen;
  RunSetup([&](QWidget* setup) {
    Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->click();
    checked_ = Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->isChecked();
  });
  EXPECT_TRUE(checked_);
  EXPECT_TRUE(model_show_num_box_);
  EXPECT_EQ(ReadSetting(path_, "ShowNumBox"), "Y");
}

TEST_F(SetupDialogTest, NoPopulationWithATableGivesTheSecondWarning) {
  Open();
  for (int row = 0; row < 3; ++row) SetDatTable(row, "");
  std::vector<SeenMessage> seen;
  RunSetup([&](QWidget* setup) { ClickShowNumBox(setup, &seen); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].text.contains(QStringLiteral("\"Num\"")) ||
              seen[0].text.contains(QStringLiteral("'Num'")));
  EXPECT_FALSE(checked_);
  EXPECT_EQ(ReadSetting(path_, "ShowNumBox"), "N");
}

TEST_F(SetupDialogTest, ThePopulationEditorCountsEachNewPopulationOnce) {
  Open();
  int model_after_new = 0, model_after_delete = 0;
  QString label_after;
  RunSetup([&](QWidget* setup) {
    TallyModel& model = static_cast<MainDialog*>(setup->parentWidget())->model();
    WhenModal(QStringLiteral("editDataDialog"), [&](QWidget* editor) {
      Child<QPushButton>(editor, QStringLiteral("newRecord"))->click();
      // BuildStrategies sizes its entries by this count while the editor is open.
      model_after_new = model.num_populations();
      AnswerMessage(QStringLiteral("&Yes"));  // Delete asks first
      Child<QPushButton>(editor, QStringLiteral("deleteRecord"))->click();
      model_after_delete = model.num_populations();
      Child<QPushButton>(editor, QStringLiteral("newRecord"))->click();
      QTest::keyClicks(Child<QLineEdit>(editor, QStringLiteral("field1")), QStringLiteral("Q"));
      Child<QPushButton>(editor, QStringLiteral("ok"))->click();
    });
    Child<QPushButton>(setup, QStringLiteral("populationsButton"))->click();
    label_after = Child<QLabel>(setup, QStringLiteral("numPopulationsLabel"))->text();
  });
  EXPECT_EQ(model_after_new, 4);
  EXPECT_EQ(model_after_delete, 3);
  EXPECT_EQ(label_after, QStringLiteral("4"));
}

TEST_F(SetupDialogTest, ChangeWorksOnceAndEscapeLeavesTheUnits) {
  Open();
  QString label_after;
  bool change_enabled = true;
  RunSetup([&](QWidget* setup) {
    WhenModal(QStringLiteral("specifyUnitsDialog"), [](QWidget* units) {
      auto* box = Child<QLineEdit>(units, QStringLiteral("unitsBox"));
      EXPECT_EQ(box->text(), QStringLiteral("3"));
      // Focus follows once the window system activates the screen, which a
      // slow (sanitized) run may see a moment after it shows.
      EXPECT_TRUE(QTest::qWaitFor([box] { return box->hasFocus(); }, 2000));
      box->setText(QStringLiteral("5"));
      Child<QPushButton>(units, QStringLiteral("okButton"))->click();
    });
    Child<QPushButton>(setup, QStringLiteral("changeButton"))->click();
    label_after = Child<QLabel>(setup, QStringLiteral("numUnitsLabel"))->text();
    change_enabled = Child<QPushButton>(setup, QStringLiteral("changeButton"))->isEnabled();
  });
  EXPECT_EQ(label_after, QStringLiteral("5"));
  EXPECT_FALSE(change_enabled);
  EXPECT_EQ(model_units_, 5);
  EXPECT_EQ(ReadSetting(path_, "NumUnits"), "5");

  RunSetup([&](QWidget* setup) {
    EXPECT_TRUE(Child<QPushButton>(setup, QStringLiteral("changeButton"))->isEnabled());
    WhenModal(QStringLiteral("specifyUnitsDialog"), [](QWidget* units) {
      Child<QLineEdit>(units, QStringLiteral("unitsBox"))->setText(QStringLiteral("2"));
      QTest::keyClick(units, Qt::Key_Escape);
    });
    Child<QPushButton>(setup, QStringLiteral("changeButton"))->click();
  });
  EXPECT_EQ(model_units_, 5);
  EXPECT_EQ(ReadSetting(path_, "NumUnits"), "5");
}

TEST_F(SetupDialogTest, MoreThan999UnitsAreRefusedAndTheUnitsBoxStaysOpen) {
  Open();
  std::vector<SeenMessage> seen;
  bool still_open = false;
  RunSetup([&](QWidget* setup) {
    WhenModal(QStringLiteral("specifyUnitsDialog"), [&](QWidget* units) {
      Child<QLineEdit>(units, QStringLiteral("unitsBox"))->setText(QStringLiteral("1000"));
      AnswerMessages({QStringLiteral("OK")}, &seen);
      Child<QPushButton>(units, QStringLiteral("okButton"))->click();
      still_open = units->isVisible();
      QTest::keyClick(units, Qt::Key_Escape);
    });
    Child<QPushButton>(setup, QStringLiteral("changeButton"))->click();
  });
  EXPECT_TRUE(still_open);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, QStringLiteral("Too Many Units"));
  EXPECT_EQ(model_units_, 3);
  EXPECT_EQ(ReadSetting(path_, "NumUnits"), "3");
}

}  // namespace
}  // namespace woodtick
