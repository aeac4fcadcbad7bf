// Dialog units: every screen is laid out in dialog units (a quarter of the
// dialog font's average character width, an eighth of its height),
// converted to pixels from the font's metrics, so each control keeps its
// designed place and size whatever the font.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QDialog;
class QWidget;

namespace woodtick {

// Every screen is this many dialog units wide and high.
inline constexpr int kDialogWidthDu = 163;
inline constexpr int kDialogHeightDu = 157;

// The dialog font: the system's default sans-serif at 8 points.
QFont DialogFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font = DialogFont());

  // Average character width and character height in pixels.
  int base_x() const { return base_x_; }
  int base_y() const { return base_y_; }

  int ToPixelsX(int du) const;
  int ToPixelsY(int du) const;
  QRect ToPixels(int x, int y, int width, int height) const;

 private:
  int base_x_;
  int base_y_;
};

// Gives a dialog the dialog font, its caption, a caption bar with a close
// box but no help button, and the fixed client size of 163 x 157 units.
void SetUpDialog(QDialog* dialog, const QString& caption);

// Puts a child control at a rectangle given in dialog units of its parent's
// font; whether it is shown or hidden stays as it was.
void PlaceControl(QWidget* control, int x, int y, int width, int height);

// Moves a dialog so that its centre is the centre of its parent window (or
// of the screen when it has none).
void CentreOverParent(QDialog* dialog);

// Moves a dialog to the top-left corner of its parent's client area (the
// desktop's corner when it has none).
void PlaceAtOrigin(QDialog* dialog);

}  // namespace woodtick
