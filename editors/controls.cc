#include "editors/controls.h"

#include <QLabel>
#include <QPushButton>

#include "app/common/dialog_units.h"

namespace woodtick {
namespace {

constexpr int kLineHeightDu = 8;

}  // namespace

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  PlaceControl(button, x, y, width, height);
  return button;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment align, int x,
                 int y, int width, int height) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(align | Qt::AlignTop);
  label->setWordWrap(height > kLineHeightDu);
  PlaceControl(label, x, y, width, height);
  return label;
}

}  // namespace woodtick
