// A whole run of the program, from start to exit, on a copy of the example
// tally file: the banner, Setup with a change of units, tallies by key and
// button, a HIT with its record, untally, Edit Data, export, reset and a
// template.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_dialog.h"
#include "app/tally_dialog.h"
#include "app/testing/app_fixture.h"
#include "model/tally_model.h"
#include "store/data_store.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

class WholeRunTest : public AppTest {
 protected:
  // The first population becomes a measure-every-item one and all share
  // the first data table, so the Num box can be switched on.
  void Prepare() {
    path_ = CopyTallyFile(ExampleTallyFile(), QStringLiteral("stand.tal"));
    const std::string tables = ReadSetting(path_, "TablesDefined");
    table_ = tables.substr(0, tables.find(','));
    ASSERT_FALSE(table_.empty());
    EditTallyFile(path_, [&](DataStore& store) {
      const int slot = store.OpenAView("Tally", false);
      const int rows = store.View(slot).GetSize();
      for (int row = 0; row < rows; ++row) {
        store.SetString(slot, row, 5, table_);
        store.SetString(slot, row, 3, row == 0 ? "C" : " ");
      }
    });
    labels_ = ReadColumn(path_, "Tally", "Label");
    keys_ = ReadColumn(path_, "Tally", "Key");
    ASSERT_GE(labels_.size(), 2u);
    records_before_ = ReadColumn(path_, table_, "Num").size();
  }

  QString path_;
  std::string table_;
  std::vector<std::string> labels_;
  std::vector<std::string> keys_;
  size_t records_before_ = 0;
};

TEST_F(WholeRunTest, FromStartToExit) {
  Prepare();
  MainDialog::Options options;
  options.command_line_file = QFile::encodeName(path_).toStdString();
  auto main = std::make_unique<MainDialog>(options);

  // Start: the banner, then the file.
  WhenModal(QStringLiteral("aboutDialog"),
            [](QWidget* about) { Child<QPushButton>(about, QStringLiteral("okButton"))->click(); });
  main->Initialise();
  ASSERT_TRUE(main->model().is_open());
  const int units_before = main->model().settings().num_units();

  // Setup: switch on the Num box and add a unit.
  WhenModal(QStringLiteral("setupDialog"), [&](QWidget* setup) {
    Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->setChecked(false);
    Child<QCheckBox>(setup, QStringLiteral("showNumBoxCheck"))->click();
    WhenModal(QStringLiteral("specifyUnitsDialog"), [&](QWidget* units) {
      Child<QLineEdit>(units, QStringLiteral("unitsBox"))
          ->setText(QString::number(units_before + 1));
      Child<QPushButton>(units, QStringLiteral("okButton"))->click();
    });
    Child<QPushButton>(setup, QStringLiteral("changeButton"))->click();
    Child<QPushButton>(setup, QStringLiteral("okButton"))->click();
  });
  Child<QPushButton>(main.get(), "setupButton")->click();
  EXPECT_TRUE(main->model().settings().show_num_box());
  EXPECT_EQ(main->model().settings().num_units(), units_before + 1);

  // Tally: a key of the second population, then a click on the first,
  // whose every tally is a HIT that opens the record editor.
  const std::string unit = main->model().settings().cur_unit() < 10
                               ? "00" + std::to_string(main->model().settings().cur_unit())
                               : std::to_string(main->model().settings().cur_unit());
  std::map<QString, QString> record;
  QString status_after_key, status_after_hit, num_box;
  WhenModal(QStringLiteral("tallyDialog"), [&](QWidget* widget) {
    auto* tally = qobject_cast<TallyDialog*>(widget);
    auto* units = Child<QComboBox>(tally, QStringLiteral("unitList"));
    QTest::keyClick(units, static_cast<Qt::Key>(Qt::Key_A + (keys_[1][0] & ~0x20) - 'A'));
    status_after_key = Child<QLabel>(tally, QStringLiteral("statusLine"))->text();
    WhenModal(QStringLiteral("editDataDialog"), [&](QWidget* editor) {
      for (int k = 1; k <= 6; ++k) {
        auto* caption = Child<QLabel>(editor, QStringLiteral("caption%1").arg(k));
        if (caption->isVisible()) {
          record[caption->text()] =
              Child<QLineEdit>(editor, QStringLiteral("field%1").arg(k))->text();
        }
      }
      Child<QPushButton>(editor, QStringLiteral("ok"))->click();
    });
    QTest::mouseClick(tally->population_button(1), Qt::LeftButton);
    status_after_hit = Child<QLabel>(tally, QStringLiteral("statusLine"))->text();
    num_box = Child<QLineEdit>(tally, QStringLiteral("numberBox"))->text();
    tally->close();
  });
  Child<QPushButton>(main.get(), "tallyButton")->click();
  EXPECT_TRUE(status_after_key.startsWith(ToQString(labels_[1])));
  EXPECT_TRUE(status_after_hit.contains(QStringLiteral("HIT!")));
  EXPECT_EQ(record[QStringLiteral("Unit")], ToQString(unit));
  EXPECT_EQ(record[QStringLiteral("Label")], ToQString(labels_[0]));
  EXPECT_EQ(record[QStringLiteral("Num")], num_box);
  EXPECT_FALSE(num_box.isEmpty());

  // Untally the HIT, the last line of the list.
  ASSERT_TRUE(Child<QPushButton>(main.get(), "untallyButton")->isEnabled());
  QString hit_line, after;
  WhenModal(QStringLiteral("untallyDialog"), [&](QWidget* untally) {
    auto* list = Child<QListWidget>(untally, QStringLiteral("tallyList"));
    list->setCurrentRow(list->count() - 1);
    hit_line = list->currentItem()->text();
    Child<QPushButton>(untally, QStringLiteral("untallyButton"))->click();
    after = list->item(list->count() - 1)->text();
    Child<QPushButton>(untally, QStringLiteral("okButton"))->click();
  });
  Child<QPushButton>(main.get(), "untallyButton")->click();
  EXPECT_EQ(hit_line, ToQString(unit + "  " + labels_[0] + "  M"));
  EXPECT_EQ(after, QStringLiteral("--untallied--"));

  // Edit Data offers the tables; cancelling changes nothing.
  bool chooser_shown = false;
  WhenModal(QStringLiteral("selectTableDialog"), [&](QWidget* chooser) {
    chooser_shown = true;
    Child<QPushButton>(chooser, QStringLiteral("cancel"))->click();
  });
  Child<QPushButton>(main.get(), "editDataButton")->click();
  EXPECT_TRUE(chooser_shown);

  // Utilities: export, reset, a template.
  std::vector<SeenMessage> seen;
  WhenModal(QStringLiteral("utilitiesDialog"), [&](QWidget* utilities) {
    AnswerMessages({QStringLiteral("OK")}, &seen);
    Child<QPushButton>(utilities, QStringLiteral("exportButton"))->click();
    AnswerMessages({QStringLiteral("&Yes"), QStringLiteral("OK")}, &seen);
    Child<QPushButton>(utilities, QStringLiteral("resetButton"))->click();
    WhenModal(QStringLiteral("createTemplateDialog"), [&](QWidget* name) {
      AnswerMessages({QStringLiteral("OK")}, &seen);
      QTest::keyClicks(Child<QLineEdit>(name, QStringLiteral("nameBox")),
                       QStringLiteral("my plot"));
      Child<QPushButton>(name, QStringLiteral("okButton"))->click();
    });
    Child<QPushButton>(utilities, QStringLiteral("templateButton"))->click();
    Child<QPushButton>(utilities, QStringLiteral("okButton"))->click();
  });
  Child<QPushButton>(main.get(), "utilitiesButton")->click();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].title, QStringLiteral("Data Exported"));
  EXPECT_EQ(seen[1].title, QStringLiteral("CONFIRM RESET"));
  EXPECT_EQ(seen[2].text, QStringLiteral("Counters Reset"));
  EXPECT_EQ(seen[3].title, QStringLiteral("Template File Created"));

  // Exit.
  QTimer::singleShot(0, main.get(), [&] { Child<QPushButton>(main.get(), "exitButton")->click(); });
  main->exec();
  main.reset();

  // What the run left in the files.
  QFile csv(dir_.filePath(QStringLiteral("stand.csv")));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readLine(), QByteArray("[Globals]\r\n"));
  EXPECT_EQ(ReadColumn(path_, table_, "Num").size(), records_before_);  // the HIT's record went
  for (const std::string& count : ReadColumn(path_, "Tally", "U001Count")) EXPECT_EQ(count, "0");
  EXPECT_EQ(ReadSetting(path_, "NumUnits"), std::to_string(units_before + 1));
  EXPECT_EQ(ReadSetting(path_, "ShowNumBox"), "Y");
  const auto log = ReadColumn(path_, "MessageLog", "Msg");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "Tally File Closed");
  const QString template_path = dir_.filePath(QStringLiteral("my_plot.tal"));
  ASSERT_TRUE(QFile::exists(template_path));
  EXPECT_TRUE(ReadColumn(template_path, table_, "Num").empty());
  EXPECT_EQ(ReadColumn(template_path, "MessageLog", "Msg"),
            std::vector<std::string>{"Template Created"});
}

}  // namespace
}  // namespace woodtick
