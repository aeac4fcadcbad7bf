#include "app/common/controls.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/common/dialog_units.h"

namespace woodtick {
namespace {

TEST(ControlsTest, EachControlIsFoundByNameAtItsRectangle) {
  QDialog dialog;
  SetUpDialog(&dialog, QStringLiteral("Setup"));
  DialogUnits units(dialog.font());
  AddButton(&dialog, "okButton", QStringLiteral("OK"), 105, 137, 50, 14);
  AddLabel(&dialog, "caption", QStringLiteral("Number of Units:"), Qt::AlignRight, 8, 58, 72, 8);
  AddEdit(&dialog, "unitsBox", 84, 55, 22, 14);
  AddCheckBox(&dialog, "soundCheck", QStringLiteral("&Sound"), 39, 90, 72, 14);

  auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(ok->geometry(), units.ToPixels(105, 137, 50, 14));
  auto* caption = dialog.findChild<QLabel*>(QStringLiteral("caption"));
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->geometry(), units.ToPixels(8, 58, 72, 8));
  EXPECT_EQ(caption->alignment(), Qt::AlignRight | Qt::AlignTop);
  auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("unitsBox"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->text().isEmpty());
  EXPECT_EQ(box->geometry(), units.ToPixels(84, 55, 22, 14));
  auto* sound = dialog.findChild<QCheckBox*>(QStringLiteral("soundCheck"));
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->geometry(), units.ToPixels(39, 90, 72, 14));
}

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

}  // namespace
}  // namespace woodtick
