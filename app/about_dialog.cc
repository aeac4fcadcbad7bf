#include "app/about_dialog.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

#include "app/program_icon.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"

namespace woodtick {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDialog"));
  SetUpDialog(this, QStringLiteral("About Woodtick"));
  setWindowIcon(ProgramIcon());

  banner_ = AddLabel(this, "versionBanner", QString(), Qt::AlignLeft, 7, 10, 100, 25);
  banner_->setText(QStringLiteral("Woodtick\nVersion ") + QLatin1String(kVersionText));
  banner_->setFont(BannerFont());

  QLabel* icon = AddLabel(this, "programIcon", QString(), Qt::AlignLeft, 125, 12, 21, 20);
  icon->setPixmap(ProgramIcon().pixmap(32, 32));

  AddLabel(this, "makerLabel", QStringLiteral("Woodtick authors"), Qt::AlignLeft, 7, 42, 77, 8);
  AddLabel(this, "aboutLabel",
           QStringLiteral("A tally of field samples by unit and population, with a record "
                          "for every item to measure."),
           Qt::AlignLeft, 7, 59, 123, 28);
  AddLabel(this, "filesLabel",
           QStringLiteral("Tally files are Metakit datafiles, readable by other Metakit software."),
           Qt::AlignLeft, 7, 93, 151, 28);

  QPushButton* ok = AddButton(this, "okButton", QStringLiteral("OK"), 125, 135, 28, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QFont AboutDialog::BannerFont() {
  QFont font = DialogFont();
  if (QFontDatabase::hasFamily(QStringLiteral("Arial")))
    font.setFamilies({QStringLiteral("Arial")});
  font.setBold(true);
  font.setPixelSize(16);
  return font;
}

void AboutDialog::showEvent(QShowEvent* event) {
  // Not centred: it opens at the owner's client corner.
  PlaceAtOrigin(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
