// The controls of every screen, placed at a rectangle in dialog units and
// named (objectName) so tests can find them.
#pragma once

#include <QString>
#include <Qt>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace woodtick {

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height);

// Text from the top, aligned as given; wraps when taller than one line, as
// the platform's static text does.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment align, int x,
                 int y, int width, int height);

// A single-line edit box, empty.
QLineEdit* AddEdit(QWidget* parent, const char* name, int x, int y, int width, int height);

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height);

}  // namespace woodtick
