#include "widgets/dialog_units.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontMetrics>
#include <QPushButton>

namespace woodtick {
namespace {

TEST(DialogUnitsTest, ConvertsFromTheFontsAverageWidthAndHeight) {
  const QFont font = DialogFont();
  EXPECT_EQ(font.pointSize(), 8);
  DialogUnits units(font);
  EXPECT_EQ(units.base_y(), QFontMetrics(font).height());
  EXPECT_GT(units.base_x(), 0);
  // Four units across make one average character, eight down one line.
  EXPECT_EQ(units.ToPixelsX(4), units.base_x());
  EXPECT_EQ(units.ToPixelsY(8), units.base_y());
  EXPECT_EQ(units.ToPixelsX(400), units.base_x() * 100);
  const QRect rect = units.ToPixels(8, 16, 40, 24);
  EXPECT_EQ(rect,
            QRect(2 * units.base_x(), 2 * units.base_y(), 10 * units.base_x(), 3 * units.base_y()));
}

TEST(DialogUnitsTest, ADialogIsFixedAt163By157Units) {
  QDialog dialog;
  SetUpDialog(&dialog, QStringLiteral("Setup"));
  DialogUnits units(dialog.font());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setup"));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.width(), units.ToPixelsX(kDialogWidthDu));
  EXPECT_EQ(dialog.height(), units.ToPixelsY(kDialogHeightDu));
  EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
}

TEST(DialogUnitsTest, CentresOverItsOwner) {
  QDialog owner;
  SetUpDialog(&owner, QStringLiteral("Woodtick"));
  owner.move(100, 80);
  owner.show();
  QDialog child(&owner);
  SetUpDialog(&child, QStringLiteral("Setup"));
  CentreOverParent(&child);
  EXPECT_EQ(child.frameGeometry().center(), owner.frameGeometry().center());
}

}  // namespace
}  // namespace woodtick
