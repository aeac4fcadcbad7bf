#include "app/create_template_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/common/dialog_units.h"
#include "app/common/text.h"

namespace woodtick {

CreateTemplateDialog::CreateTemplateDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("createTemplateDialog"));
  SetUpDialog(this, QStringLiteral("Create Tally Template"));

  auto* instruction = new QLabel(
      QStringLiteral("Type the name for your tally template. The \"tal\" extension will "
                     "automatically be added."),
      this);
  instruction->setObjectName(QStringLiteral("instructionLabel"));
  instruction->setWordWrap(true);
  instruction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(instruction, 7, 7, 149, 26);

  name_box_ = new QLineEdit(this);
  name_box_->setObjectName(QStringLiteral("nameBox"));
  name_box_->setMaxLength(30);
  PlaceControl(name_box_, 7, 40, 149, 14);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  PlaceControl(ok, 50, 136, 50, 14);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancelButton"));
  PlaceControl(cancel, 106, 136, 50, 14);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  name_box_->setFocus();
}

std::string CreateTemplateDialog::name() const { return FromQString(name_box_->text()); }

void CreateTemplateDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
