#include "editors/select_table_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "editors/edit_data_dialog.h"
#include "editors/editors_test_support.h"

namespace woodtick {
namespace {

using SelectTableDialogTest = EditorsTest;

TEST_F(SelectTableDialogTest, OpensTheRecordEditorOnTheChosenTable) {
  SelectTableDialog dialog(*model_, nullptr);
  ShowActive(&dialog);
  EXPECT_EQ(dialog.windowTitle(), "Select The Table to Edit");
  auto* combo = Find<QComboBox>(&dialog, "tableList");
  ASSERT_EQ(combo->count(), 1);
  EXPECT_EQ(combo->currentText(), "Trees");

  QString header;
  WhenModal<EditDataDialog>([&](EditDataDialog* editor) {
    header = Find<QLabel>(editor, "header")->text();
    QTest::keyClick(editor, Qt::Key_Escape);
  });
  QTest::mouseClick(Find<QPushButton>(&dialog, "editTable"), Qt::LeftButton);
  EXPECT_EQ(header, "Editing record 6 of 6 from Trees");
  EXPECT_TRUE(dialog.isVisible());  // stays open for another table

  // A typed name that is no open table opens nothing; the store is still
  // committed after each use.
  const int busy_before = ui_.busy_count;
  combo->setEditText("Plots");
  QTest::mouseClick(Find<QPushButton>(&dialog, "editTable"), Qt::LeftButton);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(ui_.busy_count, busy_before + 1);
  EXPECT_EQ(ui_.busy_depth, 0);

  QTest::mouseClick(Find<QPushButton>(&dialog, "cancel"), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace woodtick
