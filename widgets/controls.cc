#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "widgets/accessible_texts.h"
#include "widgets/dialog_units.h"
#include "widgets/named_combo_box.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

constexpr int kLineHeightDu = 8;

template <typename Control>
Control* Place(Control* control, const char* name, int x, int y, int width, int height) {
  control->setObjectName(QLatin1String(name));
  PlaceControl(control, x, y, width, height);
  DescribeForScreenReaders(control);
  return control;
}

// The rectangles come from a font of other metrics; where this font draws
// the text wider, grow the label away from its aligned edge.
void WidenToText(QLabel* label, Qt::Alignment align) {
  const int needed = label->fontMetrics().horizontalAdvance(label->text());
  const int extra = needed - label->width();
  if (extra <= 0) return;
  QRect rect = label->geometry();
  if (align & Qt::AlignRight) {
    rect.setLeft(std::max(0, rect.left() - extra));
  } else if (align & Qt::AlignHCenter) {
    rect.adjust(-(extra / 2), 0, extra - extra / 2, 0);
  } else {
    rect.setRight(rect.right() + extra);
  }
  label->setGeometry(rect);
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
  Place(label, name, x, y, width, height);
  if (!label->wordWrap()) WidenToText(label, align);
  return label;
}

QLineEdit* AddEdit(QWidget* parent, const char* name, int x, int y, int width, int height) {
  auto* edit = new QLineEdit(parent);
  edit->setValidator(new TallyTextValidator(edit));
  return Place(edit, name, x, y, width, height);
}

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                       int width, int height) {
  return Place(new QCheckBox(text, parent), name, x, y, width, height);
}

QComboBox* AddComboBox(QWidget* parent, const char* name, ComboField field, int x, int y, int width,
                       int height) {
  auto* combo = new NamedComboBox(parent);
  if (field == ComboField::kEditable) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setValidator(new TallyTextValidator(combo));
  }
  Place(combo, name, x, y, width, height);
  const int field_height = combo->sizeHint().height();
  const int list_height = combo->height() - field_height;
  const int item_height = std::max(1, combo->fontMetrics().height());
  combo->setMaxVisibleItems(std::max(1, list_height / item_height));
  combo->resize(combo->width(), field_height);
  return combo;
}

void EnlargeScreen(QDialog* screen, double factor) {
  const DialogUnits before(screen->font());
  QFont font = screen->font();
  font.setPointSizeF(font.pointSizeF() * factor);
  screen->setFont(font);
  const DialogUnits after(font);
  const double rx = double(after.base_x()) / before.base_x();
  const double ry = double(after.base_y()) / before.base_y();
  // Corners scaled, not sizes: controls that did not overlap still do not.
  auto scaled = [](int v, double r) { return static_cast<int>(v * r + 0.5); };
  for (QWidget* control : screen->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control->isWindow()) continue;
    const QRect r = control->geometry();
    control->setGeometry(
        QRect(QPoint(scaled(r.left(), rx), scaled(r.top(), ry)),
              QPoint(scaled(r.right() + 1, rx) - 1, scaled(r.bottom() + 1, ry) - 1)));
    auto* label = qobject_cast<QLabel*>(control);
    if (label && !label->wordWrap()) WidenToText(label, label->alignment());
  }
  screen->setFixedSize(after.ToPixelsX(kDialogWidthDu), after.ToPixelsY(kDialogHeightDu));
}

}  // namespace woodtick
