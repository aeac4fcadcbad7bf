#include "app/specify_units_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/common/dialog_units.h"
#include "app/common/text.h"
#include "model/tally_model.h"

namespace woodtick {

SpecifyUnitsDialog::SpecifyUnitsDialog(TallyModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName(QStringLiteral("specifyUnitsDialog"));
  SetUpDialog(this, QStringLiteral("Specify Units"));

  auto* ask = new QLabel(QStringLiteral("Please enter the number of units for this tally."), this);
  ask->setWordWrap(true);
  ask->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(ask, 7, 7, 146, 17);
  auto* warning = new QLabel(
      QStringLiteral("WARNING: If you reduce the number of units and have collected data, you "
                     "may loose data."),
      this);
  warning->setObjectName(QStringLiteral("warningLabel"));
  warning->setWordWrap(true);
  warning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(warning, 6, 27, 151, 21);
  auto* caption = new QLabel(QStringLiteral("Number of Units:"), this);
  caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
  PlaceControl(caption, 8, 58, 72, 8);
  units_box_ = new QLineEdit(this);
  units_box_->setObjectName(QStringLiteral("unitsBox"));
  // Digits only, as the platform's number edit box.
  units_box_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), units_box_));
  PlaceControl(units_box_, 84, 55, 22, 14);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  PlaceControl(ok, 105, 136, 50, 14);
  connect(ok, &QPushButton::clicked, this, &SpecifyUnitsDialog::Apply);

  units_box_->setText(ToQString(model_.num_units_text()));
  units_box_->setFocus();
}

void SpecifyUnitsDialog::Apply() {
  model_.SetNumberOfUnits(FromQString(units_box_->text()));
  accept();
}

void SpecifyUnitsDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
