#include "app/specify_units_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "model/tally_settings.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

SpecifyUnitsDialog::SpecifyUnitsDialog(TallySettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("specifyUnitsDialog"));
  SetUpDialog(this, QStringLiteral("Specify Units"));

  AddLabel(this, "askLabel", QStringLiteral("Please enter the number of units for this tally."),
           Qt::AlignLeft, 7, 7, 146, 17);
  AddLabel(this, "warningLabel",
           QStringLiteral("WARNING: If you reduce the number of units and have collected data, "
                          "you may loose data."),
           Qt::AlignLeft, 6, 27, 151, 21);
  AddLabel(this, "numUnitsCaption", QStringLiteral("Number of Units:"), Qt::AlignRight, 8, 58, 72,
           8);
  units_box_ = AddEdit(this, "unitsBox", 84, 55, 22, 14);
  // Digits only: a unit count is never negative or fractional.
  units_box_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), units_box_));
  QPushButton* ok = AddButton(this, "okButton", QStringLiteral("OK"), 105, 136, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &SpecifyUnitsDialog::Apply);

  units_box_->setText(QString::number(settings_.num_units()));
  units_box_->setFocus();
}

void SpecifyUnitsDialog::Apply() {
  if (!settings_.SetNumberOfUnits(FromQString(units_box_->text()))) {
    // Refused, and told why: the number can be corrected here.
    units_box_->setFocus();
    units_box_->selectAll();
    return;
  }
  accept();
}

void SpecifyUnitsDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
