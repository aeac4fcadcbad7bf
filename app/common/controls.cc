#include "app/common/controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/common/dialog_units.h"

namespace woodtick {
namespace {

constexpr int kLineHeightDu = 8;

template <typename Control>
Control* Place(Control* control, const char* name, int x, int y, int width, int height) {
  control->setObjectName(QLatin1String(name));
  PlaceControl(control, x, y, width, height);
  return control;
}

}  // namespace

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height) {
  return Place(new QPushButton(text, parent), name, x, y, width, height);
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment align, int x,
                 int y, int width, int height) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(align | Qt::AlignTop);
  label->setWordWrap(height > kLineHeightDu);
  return Place(label, name, x, y, width, height);
}

QLineEdit* AddEdit(QWidget* parent, const char* name, int x, int y, int width, int height) {
  return Place(new QLineEdit(parent), name, x, y, width, height);
}

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height) {
  return Place(new QCheckBox(text, parent), name, x, y, width, height);
}

}  // namespace woodtick
