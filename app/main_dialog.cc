#include "app/main_dialog.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/about_dialog.h"
#include "app/program_icon.h"
#include "app/qt_ui.h"
#include "app/tally_dialog.h"
#include "app/untally_dialog.h"
#include "app/utilities_dialog.h"
#include "editors/select_table_dialog.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

MainDialog::MainDialog(Options options, QWidget* parent)
    : QDialog(parent), options_(std::move(options)) {
  setObjectName(QStringLiteral("mainDialog"));
  SetUpDialog(this, QStringLiteral("Woodtick"));
  setWindowIcon(ProgramIcon());
  ui_ = std::make_unique<QtUi>(this);
  model_ = std::make_unique<TallyModel>(*ui_, options_.model);

  select_file_ =
      AddButton(this, "selectFileButton", QStringLiteral("Select Tally &File"), 7, 7, 62, 14);
  file_name_ = AddEdit(this, "fileNameBox", 74, 7, 81, 14);
  file_name_->setReadOnly(true);
  setup_ = AddButton(this, "setupButton", QStringLiteral("&Setup"), 54, 35, 50, 14);
  edit_data_ = AddButton(this, "editDataButton", QStringLiteral("&Edit Data"), 54, 52, 50, 14);
  tally_ = AddButton(this, "tallyButton", QStringLiteral("&Tally"), 54, 69, 50, 14);
  utilities_ = AddButton(this, "utilitiesButton", QStringLiteral("&Utilities"), 54, 86, 50, 14);
  about_ = AddButton(this, "aboutButton", QStringLiteral("&About"), 5, 116, 50, 14);
  untally_ = AddButton(this, "untallyButton", QStringLiteral("U&ntally"), 106, 116, 50, 14);
  help_ = AddButton(this, "helpButton", QStringLiteral("&Help"), 5, 135, 50, 14);
  exit_ = AddButton(this, "exitButton", QStringLiteral("E&xit"), 106, 135, 50, 14);
  exit_->setDefault(true);
  for (QPushButton* off : {setup_, edit_data_, tally_, utilities_, untally_, help_}) {
    off->setEnabled(false);
  }

  key_box_ = AddEdit(this, "keyBox", 10, 58, 22, 13);
  key_box_->hide();

  connect(select_file_, &QPushButton::clicked, this, &MainDialog::SelectTallyFile);
  connect(setup_, &QPushButton::clicked, this, &MainDialog::Setup);
  connect(edit_data_, &QPushButton::clicked, this, &MainDialog::EditData);
  connect(tally_, &QPushButton::clicked, this, &MainDialog::Tally);
  connect(utilities_, &QPushButton::clicked, this, &MainDialog::Utilities);
  connect(about_, &QPushButton::clicked, this, &MainDialog::About);
  connect(untally_, &QPushButton::clicked, this, &MainDialog::Untally);
  connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
  connect(key_box_, &QLineEdit::textChanged, this, &MainDialog::OnKeyBoxEdited);
  // The main screen opens at the desktop's top-left corner.
  move(0, 0);
}

MainDialog::~MainDialog() {
  // Logs "Tally File Closed" and commits while the screens can still
  // report a failure.
  model_->CloseTallyFile();
}

void MainDialog::Initialise() {
  if (options_.show_banner) About();
  for (const std::string& problem : options_.command_line_problems) {
    ui_->Warn(problem, kProgramTitle);
  }
  if (!options_.command_line_file.empty()) {
    model_->SetStartupFile(options_.command_line_file);
    model_->OpenTallyFile();
  }
}

TallyResult MainDialog::WriteKeyBox(const std::string& text) {
  {
    QSignalBlocker quiet(key_box_);
    key_box_->setText(ToQString(text));
  }
  const TallyResult result = model_->tallying().SetKeyBoxText(text);
  // ProcessKey may have rewritten the box.
  QSignalBlocker quiet(key_box_);
  key_box_->setText(ToQString(model_->tallying().key_box_text()));
  return result;
}

void MainDialog::OnKeyBoxEdited(const QString& text) { WriteKeyBox(FromQString(text)); }

void MainDialog::ShowFileName(const std::string& display_name) {
  file_name_->setText(ToQString(display_name));
  for (QPushButton* on : {setup_, edit_data_, tally_, utilities_}) on->setEnabled(true);
}

void MainDialog::FileOpened() { select_file_->setEnabled(false); }

void MainDialog::EnableUntally() { untally_->setEnabled(true); }

void MainDialog::SelectTallyFile() {
  QFileDialog dialog(this);
  dialog.setObjectName(QStringLiteral("fileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QStringLiteral("Tally Files (*.tal)"));
  if (!model_->path().empty()) dialog.selectFile(FromFileName(model_->path()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QFileInfo chosen(dialog.selectedFiles().first());
  // The working folder becomes the chosen file's, so the export lands beside
  // the tally file.
  QDir::setCurrent(chosen.absolutePath());
  // Path and title name files, so they keep the file system's encoding.
  model_->SetChosenFile(ToFileName(chosen.absoluteFilePath()), FromQString(chosen.fileName()),
                        ToFileName(chosen.completeBaseName()));
  model_->OpenTallyFile();
}

void MainDialog::done(int result) {
  model_->CloseTallyFile();
  QDialog::done(result);
}

void MainDialog::Setup() { model_->RunSetup(); }

void MainDialog::EditData() {
  SelectTableDialog dialog(*model_, this);
  dialog.exec();
}

void MainDialog::Tally() {
  TallyDialog dialog(this);
  ui_->set_tally_dialog(&dialog);
  dialog.exec();
  ui_->set_tally_dialog(nullptr);
}

void MainDialog::Utilities() {
  UtilitiesDialog dialog(model_->utilities(), model_->templates(), this);
  dialog.exec();
}

void MainDialog::About() {
  AboutDialog dialog(this);
  dialog.exec();
}

void MainDialog::Untally() {
  UntallyDialog dialog(model_->untally(), this);
  dialog.exec();
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("systemMenu"));
  QAction* about = menu.addAction(QStringLiteral("&About Woodtick..."));
  about->setObjectName(QStringLiteral("aboutWoodtickAction"));
  connect(about, &QAction::triggered, this, &MainDialog::About);
  menu.exec(event->globalPos());
}

}  // namespace woodtick
