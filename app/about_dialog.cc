#include "app/about_dialog.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

#include "app/common/dialog_units.h"
#include "app/program_icon.h"

namespace woodtick {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDialog"));
  SetUpDialog(this, QStringLiteral("About Woodtick"));
  setWindowIcon(ProgramIcon());

  banner_ = new QLabel(this);
  banner_->setObjectName(QStringLiteral("versionBanner"));
  banner_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(banner_, 7, 10, 100, 25);
  banner_->setText(QStringLiteral("Woodtick\nVersion ") + QLatin1String(kVersionText));
  banner_->setFont(BannerFont());

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("programIcon"));
  PlaceControl(icon, 125, 12, 21, 20);
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* maker = new QLabel(QStringLiteral("Woodtick authors"), this);
  maker->setObjectName(QStringLiteral("makerLabel"));
  PlaceControl(maker, 7, 42, 77, 8);
  auto* about = new QLabel(
      QStringLiteral("A tally of field samples by unit and population, with a record "
                     "for every item to measure."),
      this);
  about->setObjectName(QStringLiteral("aboutLabel"));
  about->setWordWrap(true);
  about->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(about, 7, 59, 123, 28);
  auto* files = new QLabel(
      QStringLiteral("Tally files are Metakit datafiles, readable by other Metakit software."),
      this);
  files->setObjectName(QStringLiteral("filesLabel"));
  files->setWordWrap(true);
  files->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(files, 7, 93, 151, 28);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  PlaceControl(ok, 125, 135, 28, 14);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QFont AboutDialog::BannerFont() {
  QFont font = DialogFont();
  if (QFontDatabase::hasFamily(QStringLiteral("Arial"))) font.setFamilies({QStringLiteral("Arial")});
  font.setBold(true);
  font.setPixelSize(16);
  return font;
}

void AboutDialog::showEvent(QShowEvent* event) {
  // Not centred: the resource puts it at the owner's client corner.
  PlaceAtOrigin(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
