#include "widgets/controls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "widgets/dialog_units.h"

namespace woodtick {
namespace {

TEST(ControlsTest, OnlyALabelTallerThanOneLineWraps) {
  QDialog dialog;
  SetUpDialog(&dialog, QStringLiteral("Specify Units"));
  const QString warning = QStringLiteral(
      "WARNING: If you reduce the number of units and have collected data, you may loose data.");
  QLabel* tall = AddLabel(&dialog, "warning", warning, Qt::AlignLeft, 6, 27, 151, 21);
  QLabel* line = AddLabel(&dialog, "status", QStringLiteral("status"), Qt::AlignLeft, 52, 6, 55, 8);
  EXPECT_TRUE(tall->wordWrap());
  // The wrapped text fits the label's rectangle.
  EXPECT_LE(tall->heightForWidth(tall->width()), tall->height());
  EXPECT_FALSE(line->wordWrap());
}

TEST(ControlsTest, AOneLineLabelGrowsAwayFromItsAlignedEdgeToShowItsWholeText) {
  QDialog dialog;
  SetUpDialog(&dialog, QStringLiteral("Define Columns"));
  DialogUnits units(dialog.font());
  const QString text = QStringLiteral("Num: sample number");
  // Far too narrow for the text in any font.
  QLabel* left = AddLabel(&dialog, "left", text, Qt::AlignLeft, 36, 104, 20, 8);
  QLabel* right = AddLabel(&dialog, "right", text, Qt::AlignRight, 100, 120, 20, 8);
  const int needed = left->fontMetrics().horizontalAdvance(text);
  EXPECT_GE(left->width(), needed);
  EXPECT_EQ(left->x(), units.ToPixelsX(36));
  EXPECT_GE(right->width(), needed);
  EXPECT_EQ(right->geometry().right(), units.ToPixels(100, 120, 20, 8).right());
  // A label wide enough keeps its rectangle.
  QLabel* roomy = AddLabel(&dialog, "roomy", text, Qt::AlignLeft, 7, 7, 150, 8);
  EXPECT_EQ(roomy->geometry(), units.ToPixels(7, 7, 150, 8));
}

TEST(ControlsTest, AComboBoxSplitsItsHeightIntoFieldAndDroppedList) {
  QDialog dialog;
  SetUpDialog(&dialog, QStringLiteral("Setup"));
  DialogUnits units(dialog.font());
  QComboBox* tall = AddComboBox(&dialog, "tall", ComboField::kListOnly, 22, 4, 27, 100);
  QComboBox* short_list = AddComboBox(&dialog, "short", ComboField::kListOnly, 22, 40, 27, 30);
  EXPECT_EQ(tall->height(), tall->sizeHint().height());
  EXPECT_EQ(tall->pos(), units.ToPixels(22, 4, 27, 100).topLeft());
  EXPECT_GT(tall->maxVisibleItems(), short_list->maxVisibleItems());
  EXPECT_GE(short_list->maxVisibleItems(), 1);

  // Text typed into an editable field is never taken as an item.
  QComboBox* editable = AddComboBox(&dialog, "editable", ComboField::kEditable, 88, 77, 33, 58);
  editable->addItems({QStringLiteral("1"), QStringLiteral("2")});
  dialog.show();
  editable->setFocus();
  editable->lineEdit()->selectAll();
  QTest::keyClicks(editable->lineEdit(), QStringLiteral("77"));
  QTest::keyClick(editable->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(editable->count(), 2);
}

TEST(ControlsTest, EditBoxesRefuseCharactersATallyFileCannotHold) {
  QDialog dialog;
  SetUpDialog(&dialog, QStringLiteral("Edit"));
  QLineEdit* edit = AddEdit(&dialog, "edit", 5, 5, 90, 14);
  QComboBox* combo = AddComboBox(&dialog, "combo", ComboField::kEditable, 5, 25, 60, 50);
  dialog.show();
  for (QLineEdit* box : {edit, combo->lineEdit()}) {
    box->setFocus();
    // Windows-1252 holds e acute, the euro sign and the dagger, not omega nor an emoji.
    // Typed one character at a time, as a keyboard layout delivers them.
    for (char32_t c : QString::fromUtf8("Fir \u00e9\u20ac\u2020\u03a9\U0001F332!").toUcs4()) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
      QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(box->text(), QString::fromUtf8("Fir \u00e9\u20ac\u2020!"));
  }
}

}  // namespace
}  // namespace woodtick
