#include "editors/table_list_combo.h"

#include <QAbstractItemView>
#include <QComboBox>

#include "model/table_definitions.h"
#include "widgets/controls.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

constexpr int kMinimumDropDownWidthPx = 30;

}  // namespace

QComboBox* CreateTableCombo(QWidget* parent, const char* object_name, int x, int y, int width,
                            int height) {
  QComboBox* combo = AddComboBox(parent, object_name, ComboField::kEditable, x, y, width, height);
  combo->setDuplicatesEnabled(true);
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
