#include "app/create_template_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

CreateTemplateDialog::CreateTemplateDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("createTemplateDialog"));
  SetUpDialog(this, QStringLiteral("Create Tally Template"));

  AddLabel(this, "instructionLabel",
           QStringLiteral("Type the name for your tally template. The \"tal\" extension will "
                          "automatically be added."),
           Qt::AlignLeft, 7, 7, 149, 26);
  name_box_ = AddEdit(this, "nameBox", 7, 40, 149, 14);
  name_box_->setMaxLength(30);

  QPushButton* ok = AddButton(this, "okButton", QStringLiteral("OK"), 50, 136, 50, 14);
  ok->setDefault(true);
  QPushButton* cancel = AddButton(this, "cancelButton", QStringLiteral("Cancel"), 106, 136, 50, 14);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  name_box_->setFocus();
}

std::string CreateTemplateDialog::file_name() const { return ToFileName(name_box_->text()); }

void CreateTemplateDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
