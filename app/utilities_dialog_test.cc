#include "app/utilities_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_dialog.h"
#include "app/testing/app_fixture.h"
#include "model/tally_model.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

class UtilitiesDialogTest : public AppTest {};

// Enter clicks the push button that has the focus, and the default OK only
// when no other push button has it.
TEST_F(UtilitiesDialogTest, EnterRunsTheFocusedCommandElseClosesTheScreen) {
  auto main = OpenMain(CopyTallyFile(ExampleTallyFile()));
  UtilitiesDialog dialog(main->model().utilities(), main->model().templates(), main.get());
  dialog.show();
  auto* export_button = Child<QPushButton>(&dialog, QStringLiteral("exportButton"));
  export_button->setFocus();
  SeenMessage seen;
  AnswerMessage(QStringLiteral("OK"), &seen);
  QTest::keyClick(export_button, Qt::Key_Return);
  EXPECT_EQ(seen.title, QStringLiteral("Data Exported"));
  EXPECT_TRUE(QFile::exists(QStringLiteral("plot.csv")));
  EXPECT_TRUE(dialog.isVisible());

  auto* ok = Child<QPushButton>(&dialog, QStringLiteral("okButton"));
  ok->setFocus();
  QTest::keyClick(ok, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(UtilitiesDialogTest, TheLogLineFollowsEveryCommand) {
  auto main = OpenMain(CopyTallyFile(ExampleTallyFile()));
  UtilitiesDialog dialog(main->model().utilities(), main->model().templates(), main.get());
  dialog.show();
  const int opened = dialog.log_line()->text().section(QLatin1Char(' '), 3, 3).toInt();
  struct Case {
    const char* button;
    std::vector<QString> answers;
    QString line;
  };
  const auto records = [&](int added) {
    return QStringLiteral("Message Log contains %1 records").arg(opened + added);
  };
  const Case cases[] = {
      {"resetButton", {QStringLiteral("&Yes"), QStringLiteral("OK")}, records(1)},
      {"clearTablesButton", {QStringLiteral("&Yes"), QStringLiteral("OK")}, records(2)},
      {"exportButton", {QStringLiteral("OK")}, records(3)},
      {"clearLogButton",
       {QStringLiteral("&Yes"), QStringLiteral("OK")},
       QStringLiteral("Message Log contains 1 record")},
  };
  for (const Case& c : cases) {
    AnswerMessages(c.answers, nullptr);
    Child<QPushButton>(&dialog, QLatin1String(c.button))->click();
    EXPECT_EQ(dialog.log_line()->text(), c.line) << c.button;
  }
}

// A typed name becomes a file name in the file system's own encoding: the
// folder lists it under the name shown, and it opens by that name; the
// tally file's log keeps its texts in Windows-1252.
TEST_F(UtilitiesDialogTest, ATemplateIsListedAndOpenedByTheNameTyped) {
  struct Case {
    QString typed;
    QString listed;
  };
  const Case cases[] = {
      {QStringLiteral("stand \u00FC 12"), QStringLiteral("stand_\u00FC_12.tal")},
      {QStringLiteral("Fl\u00E4che 7.b"), QStringLiteral("Fl\u00E4che_7.tal")},
  };
  const QString path = CopyTallyFile(ExampleTallyFile());
  for (const Case& c : cases) {
    const QString made = dir_.filePath(c.listed);
    {
      auto main = OpenMain(path);
      UtilitiesDialog dialog(main->model().utilities(), main->model().templates(), main.get());
      dialog.show();
      WhenModal(QStringLiteral("createTemplateDialog"), [&](QWidget* screen) {
        // As typed: through the box's checks (QTest types ASCII only).
        Child<QLineEdit>(screen, QStringLiteral("nameBox"))->insert(c.typed);
        Child<QPushButton>(screen, QStringLiteral("okButton"))->click();
      });
      SeenMessage seen;
      AnswerMessage(QStringLiteral("OK"), &seen);
      Child<QPushButton>(&dialog, QStringLiteral("templateButton"))->click();
      EXPECT_EQ(seen.text,
                QStringLiteral("The template file ") + made + QStringLiteral(" has been created."));
    }
    EXPECT_TRUE(QDir(dir_.path()).entryList({QStringLiteral("*.tal")}).contains(c.listed))
        << c.listed.toStdString();
    auto opened = OpenMain(made);
    EXPECT_TRUE(opened->model().is_open()) << c.listed.toStdString();
    const std::vector<std::string> notes = ReadColumn(path, "MessageLog", "Note");
    EXPECT_NE(std::find(notes.begin(), notes.end(), FromQString(made)), notes.end());
  }
}

}  // namespace
}  // namespace woodtick
