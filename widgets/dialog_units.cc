#include "widgets/dialog_units.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace woodtick {
namespace {

// Like MulDiv: rounded to the nearest pixel.
int Scale(int du, int base, int divisor) { return (du * base + divisor / 2) / divisor; }

}  // namespace

QFont DialogFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setFamilies({QStringLiteral("sans-serif")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  QFontMetrics metrics(font);
  // The horizontal base: the average width of the 52 letters, rounded.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  base_x_ = std::max(1, (letters / 26 + 1) / 2);
  base_y_ = std::max(1, metrics.height());
}

int DialogUnits::ToPixelsX(int du) const { return Scale(du, base_x_, 4); }
int DialogUnits::ToPixelsY(int du) const { return Scale(du, base_y_, 8); }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

void SetUpDialog(QDialog* dialog, const QString& caption) {
  dialog->setFont(DialogFont());
  dialog->setWindowTitle(caption);
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  DialogUnits units(dialog->font());
  dialog->setFixedSize(units.ToPixelsX(kDialogWidthDu), units.ToPixelsY(kDialogHeightDu));
}

void PlaceControl(QWidget* control, int x, int y, int width, int height) {
  QWidget* parent = control->parentWidget();
  DialogUnits units(parent ? parent->font() : DialogFont());
  control->setGeometry(units.ToPixels(x, y, width, height));
}

void CentreOverParent(QDialog* dialog) {
  QRect area;
  if (QWidget* parent = dialog->parentWidget()) {
    area = parent->window()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isNull()) return;
  QRect frame = dialog->frameGeometry();
  frame.moveCenter(area.center());
  dialog->move(frame.topLeft());
}

void PlaceAtOrigin(QDialog* dialog) {
  QPoint origin(0, 0);
  if (QWidget* parent = dialog->parentWidget())
    origin = parent->window()->mapToGlobal(QPoint(0, 0));
  dialog->move(origin);
}

}  // namespace woodtick
