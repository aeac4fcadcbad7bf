// The controls of every screen, placed at a rectangle in dialog units and
// named (objectName) so tests can find them.
#pragma once

#include <QString>
#include <Qt>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace woodtick {

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height);

// Text from the top, aligned as given; wraps when taller than one line. A
// one-line label is widened, away from
// its aligned edge, when this font draws its text wider than the
// rectangle, so no letter is cut off.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment align, int x,
                 int y, int width, int height);

// A single-line edit box, empty.
QLineEdit* AddEdit(QWidget* parent, const char* name, int x, int y, int width, int height);

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height);

enum class ComboField { kListOnly, kEditable };

// A drop-down combo box. `height` covers the field and its dropped-down
// list together: the field keeps the height its font
// needs and the list shows as many items as the rest holds. Text typed
// into an editable field never becomes an item.
QComboBox* AddComboBox(QWidget* parent, const char* name, ComboField field, int x, int y, int width,
                       int height);

// Grows a built screen by `factor`: its font, its size and every control's
// rectangle, as if it had been laid out in that larger font; one-line
// labels are widened where the larger font draws their text wider.
void EnlargeScreen(QDialog* screen, double factor);

}  // namespace woodtick
