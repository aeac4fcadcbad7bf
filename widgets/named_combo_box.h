// NamedComboBox: a combo box that screen readers name by what it is for
// (its accessible name, "Unit"), not by the item it shows; the item is its
// value. Qt's own combo box on this platform reports the item as both, and
// leaves the name to a label relation that not every reader follows.
#pragma once

#include <QComboBox>

namespace woodtick {

class NamedComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit NamedComboBox(QWidget* parent = nullptr);
};

}  // namespace woodtick
