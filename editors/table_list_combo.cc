#include "editors/table_list_combo.h"

#include <QAbstractItemView>
#include <QComboBox>

#include "app/common/dialog_units.h"
#include "app/common/text.h"
#include "editors/table_definitions.h"

namespace woodtick {
namespace {

constexpr int kMinimumDropDownWidthPx = 30;

}  // namespace

QComboBox* CreateTableCombo(QWidget* parent, const char* object_name, int x, int y, int width,
                            int height) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(object_name);
  combo->setEditable(true);
  // Typed text is never taken into the list.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setDuplicatesEnabled(true);
  PlaceControl(combo, x, y, width, height);
  // The resource height includes the dropped-down list; the field itself
  // keeps the height its font needs.
  const int field = combo->sizeHint().height();
  const int list = combo->height() - field;
  const int item = std::max(1, combo->fontMetrics().height());
  combo->setMaxVisibleItems(std::max(1, list / item));
  combo->resize(combo->width(), field);
  return combo;
}

void FillTableCombo(QComboBox* combo, const std::string& tables_defined) {
  combo->view()->setMinimumWidth(kMinimumDropDownWidthPx);
  combo->clear();
  for (const std::string& entry : SplitTableList(tables_defined)) {
    const QString text = ToQString(entry);
    int at = 0;
    while (at < combo->count() &&
           QString::compare(combo->itemText(at), text, Qt::CaseInsensitive) <= 0) {
      ++at;
    }
    combo->insertItem(at, text);
  }
  combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

}  // namespace woodtick
