#include "widgets/named_combo_box.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>

namespace woodtick {
namespace {

// Qt's combo box interface less the name falling through to the item:
// the drop-down list is child 0, an editable field child 1.
class NamedComboAccessible : public QAccessibleWidget {
 public:
  explicit NamedComboAccessible(QComboBox* combo)
      : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return combo()->currentText();
    if (t == QAccessible::Name && combo()->accessibleName().isEmpty()) {
      return combo()->currentText();
    }
    return QAccessibleWidget::text(t);
  }

  int childCount() const override { return combo()->isEditable() ? 2 : 1; }

  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(combo()->view());
    if (index == 1 && combo()->isEditable()) {
      return QAccessible::queryAccessibleInterface(combo()->lineEdit());
    }
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr) return -1;
    if (child->object() == combo()->view()) return 0;
    if (combo()->isEditable() && child->object() == combo()->lineEdit()) return 1;
    return -1;
  }

  // The field of an editable box has the keyboard focus for it.
  QAccessibleInterface* focusChild() const override {
    return combo()->isEditable() ? child(1) : nullptr;
  }

  QStringList actionNames() const override {
    return {showMenuAction(), pressAction(), setFocusAction()};
  }

  void doAction(const QString& action) override {
    if (action == showMenuAction() || action == pressAction()) {
      if (combo()->view()->isVisible()) {
        combo()->hidePopup();
      } else {
        combo()->showPopup();
      }
      return;
    }
    QAccessibleWidget::doAction(action);
  }

 private:
  QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* NamedComboFactory(const QString& class_name, QObject* object) {
  if (class_name != QLatin1String(NamedComboBox::staticMetaObject.className())) return nullptr;
  auto* combo = qobject_cast<NamedComboBox*>(object);
  return combo ? new NamedComboAccessible(combo) : nullptr;
}

}  // namespace

NamedComboBox::NamedComboBox(QWidget* parent) : QComboBox(parent) {
  static const bool installed = (QAccessible::installFactory(&NamedComboFactory), true);
  (void)installed;
}

}  // namespace woodtick
