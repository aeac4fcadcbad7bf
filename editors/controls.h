// Labels and push buttons placed at a rectangle in dialog units, with the
// object name tests find them by; shared by the editors' screens.
#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace woodtick {

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height);

// Text from the top, aligned as given; wraps when taller than one line.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment align, int x,
                 int y, int width, int height);

}  // namespace woodtick
