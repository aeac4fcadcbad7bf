#include "app/setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "app/specify_units_dialog.h"
#include "editors/edit_data_dialog.h"
#include "editors/setup_tables_dialog.h"
#include "model/tally_model.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

constexpr int kSaveIntervalItems = 100;

}  // namespace

SetupDialog::SetupDialog(TallyModel& model, int num_populations, QWidget* parent)
    : QDialog(parent),
      model_(model),
      settings_(model.settings()),
      num_populations_(num_populations) {
  setObjectName(QStringLiteral("setupDialog"));
  SetUpDialog(this, QStringLiteral("Setup"));

  AddLabel(this, "numUnitsCaption", QStringLiteral("Number of Units:"), Qt::AlignLeft, 7, 7, 58, 8);
  num_units_ = AddLabel(this, "numUnitsLabel", QStringLiteral("XXX"), Qt::AlignLeft, 73, 7, 15, 8);
  change_ = AddButton(this, "changeButton", QStringLiteral("&Change"), 93, 4, 37, 14);
  AddLabel(this, "numPopulationsCaption", QStringLiteral("Number of Populations:"), Qt::AlignLeft,
           7, 27, 85, 8);
  num_pops_ =
      AddLabel(this, "numPopulationsLabel", QStringLiteral("XXX"), Qt::AlignLeft, 99, 27, 15, 8);
  data_tables_ =
      AddButton(this, "dataTablesButton", QStringLiteral("Setup &Data Tables"), 41, 41, 72, 14);
  populations_ =
      AddButton(this, "populationsButton", QStringLiteral("Setup &Populations"), 41, 60, 72, 14);
  AddLabel(this, "saveCaption", QStringLiteral("Save data every"), Qt::AlignLeft, 31, 79, 56, 8);
  save_interval_ = AddComboBox(this, "saveIntervalList", ComboField::kEditable, 88, 77, 33, 58);
  AddLabel(this, "talliesCaption", QStringLiteral("tallies."), Qt::AlignLeft, 124, 79, 20, 8);
  sound_ = AddCheckBox(this, "soundCheck", QStringLiteral("&Sound"), 39, 90, 72, 14);
  counts_on_buttons_ = AddCheckBox(this, "countsOnButtonsCheck",
                                   QStringLiteral("Counts on &Buttons"), 39, 106, 74, 14);
  show_num_box_ = AddCheckBox(this, "showNumBoxCheck", QStringLiteral("Show Last &Hit Number"), 39,
                              122, 87, 14);
  QPushButton* import = AddButton(this, "importPopulationsButton",
                                  QStringLiteral("&Import Populations\u2026"), 7, 137, 84, 14);
  QPushButton* ok = AddButton(this, "okButton", QStringLiteral("OK"), 105, 137, 50, 14);
  ok->setDefault(true);

  num_units_->setText(QString::number(settings_.num_units()));
  ShowPopulationCount();
  for (int i = 1; i <= kSaveIntervalItems; ++i) save_interval_->addItem(QString::number(i));
  save_interval_->setCurrentIndex(settings_.save_interval() - 1);
  sound_->setChecked(settings_.sound());
  counts_on_buttons_->setChecked(settings_.show_counts_on_buttons());
  show_num_box_->setChecked(settings_.show_num_box());

  connect(change_, &QPushButton::clicked, this, &SetupDialog::ChangeUnits);
  connect(populations_, &QPushButton::clicked, this, &SetupDialog::SetupPopulations);
  connect(data_tables_, &QPushButton::clicked, this, &SetupDialog::SetupDataTables);
  // Only a chosen item counts; text typed into the field is not taken.
  connect(save_interval_, &QComboBox::activated, this, &SetupDialog::SaveIntervalChosen);
  connect(sound_, &QCheckBox::clicked, this, &SetupDialog::SoundClicked);
  connect(counts_on_buttons_, &QCheckBox::clicked, this, &SetupDialog::CountsOnButtonsClicked);
  connect(show_num_box_, &QCheckBox::clicked, this, &SetupDialog::ShowNumBoxClicked);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(import, &QPushButton::clicked, this, &SetupDialog::ImportPopulations);
}

// What Setup changed is saved as the model closes the file after it.
SetupDialog::~SetupDialog() = default;

void SetupDialog::ShowPopulationCount() { num_pops_->setText(QString::number(num_populations_)); }

void SetupDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

void SetupDialog::ChangeUnits() {
  SpecifyUnitsDialog dialog(settings_, this);
  dialog.exec();
  num_units_->setText(QString::number(settings_.num_units()));
  change_->setEnabled(false);
}

void SetupDialog::SetupPopulations() {
  {
    // The editor keeps the model's count itself; this is the screen's own.
    auto mode = std::make_unique<PopulationsMode>([this](int delta) { num_populations_ += delta; });
    EditDataDialog editor(model_, model_.tally_slot(), std::move(mode), this);
    editor.exec();
  }
  settings_.Load();
  num_populations_ = settings_.num_populations();
  ShowPopulationCount();
  ShowNumBoxClicked();
}

void SetupDialog::ImportPopulations() {
  const QString path =
      QFileDialog::getOpenFileName(this, QStringLiteral("Import Populations"), QString(),
                                   QStringLiteral("Species lists (*.csv);;All files (*)"));
  if (!path.isEmpty()) ImportPopulationsFrom(path);
}

void SetupDialog::ImportPopulationsFrom(const QString& path) {
  Ui& ui = model_.ui();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ui.Warn("The list " + FromQString(path) + " cannot be read.", "Import Populations");
    return;
  }
  const QByteArray bytes = file.readAll();
  const PopulationImport plan = model_.data_tables().PlanImport(bytes.toStdString());
  if (!plan.refusals.empty()) {
    std::string text = "The list cannot be imported; nothing was added.\n";
    for (const std::string& line : plan.refusals) text += "\n" + line;
    ui.Warn(text, "Import Populations");
    return;
  }
  std::string preview = "These " + std::to_string(plan.populations.size()) +
                        " populations will be added, with zero counts in every unit:\n";
  for (const ImportedPopulation& p : plan.populations) {
    preview += "\n" + p.key + "  " + p.label + "  (" + (p.meth.empty() ? "-" : p.meth) + ", " +
               FromQString(QString::number(p.freq)) +
               (p.dat_table.empty() ? "" : ", " + p.dat_table) + ")";
  }
  if (!ui.Confirm(preview + "\n\nImport them?", "Import Populations")) return;
  model_.data_tables().Import(plan, FromQString(QFileInfo(path).fileName()));
  model_.LoadSettings();
  num_populations_ = model_.num_populations();
  ShowPopulationCount();
}

void SetupDialog::SetupDataTables() {
  {
    SetupTablesDialog dialog(model_, this);
    dialog.exec();
  }
  ShowNumBoxClicked();
}

void SetupDialog::SaveIntervalChosen(int position) {
  settings_.SetSaveIntervalItem(position, FromQString(save_interval_->itemText(position)));
}

void SetupDialog::SoundClicked() { settings_.SetSound(sound_->isChecked()); }

void SetupDialog::CountsOnButtonsClicked() {
  settings_.SetShowCountsOnButtons(counts_on_buttons_->isChecked());
}

void SetupDialog::ShowNumBoxClicked() {
  const bool on = show_num_box_->isChecked() && ShowNumBoxAllowed();
  show_num_box_->setChecked(on);
  settings_.SetShowNumBox(on);
}

void SetupDialog::Warn(const std::string& text) { model_.ui().Warn(text, "WARNING"); }

bool SetupDialog::ShowNumBoxAllowed() {
  const std::string refusal = settings_.NumBoxRefusal(num_populations_);
  if (!refusal.empty()) Warn(refusal);
  return refusal.empty();
}

}  // namespace woodtick
