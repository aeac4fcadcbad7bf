#include "app/utilities_dialog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTest>

#include "app/main_dialog.h"
#include "app/testing/app_fixture.h"

namespace woodtick {
namespace {

class UtilitiesDialogTest : public AppTest {};

// Enter clicks the push button that has the focus, and the default OK only
// when no other push button has it.
TEST_F(UtilitiesDialogTest, EnterRunsTheFocusedCommandElseClosesTheScreen) {
  auto main = OpenMain(CopyTallyFile(ExampleTallyFile()));
  UtilitiesDialog dialog(&main->model(), main.get());
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

}  // namespace
}  // namespace woodtick
