#include "app/untally_dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "model/untally.h"
#include "widgets/accessible_texts.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

UntallyDialog::UntallyDialog(Untally& untally, QWidget* parent)
    : QDialog(parent), untallying_(untally) {
  setObjectName(QStringLiteral("untallyDialog"));
  SetUpDialog(this, QStringLiteral("Untally"));

  // Two blanks after "Unit": the program's exact words, lined up with the rows.
  AddLabel(this, "headingLabel", QStringLiteral("Unit  Label C/M"), Qt::AlignLeft, 9, 6, 100, 8);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("tallyList"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  PlaceControl(list_, 7, 16, 104, 104);
  DescribeForScreenReaders(list_);
  AddLabel(this, "leastRecentLabel", QStringLiteral("least recent"), Qt::AlignLeft, 115, 17, 44, 8);
  AddLabel(this, "mostRecentLabel", QStringLiteral("most recent"), Qt::AlignLeft, 115, 110, 44, 8);
  untally_ = AddButton(this, "untallyButton", QStringLiteral("&Untally Selection"), 7, 127, 70, 14);
  untally_->setEnabled(false);
  QPushButton* cancel = AddButton(this, "cancelButton", QStringLiteral("Cancel"), 50, 137, 50, 14);
  cancel->hide();
  QPushButton* ok = AddButton(this, "okButton", QStringLiteral("OK"), 105, 137, 50, 14);
  ok->setDefault(true);

  entries_ = untallying_.Entries();
  for (const BufferEntry& entry : entries_) list_->addItem(ToQString(untallying_.Line(entry)));

  connect(list_, &QListWidget::itemSelectionChanged, this, &UntallyDialog::SelectionChanged);
  connect(list_, &QListWidget::itemDoubleClicked, this, &UntallyDialog::LineDoubleClicked);
  connect(untally_, &QPushButton::clicked, this, &UntallyDialog::UntallySelection);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool UntallyDialog::SelectedIsMarker() const {
  const int row = list_->currentRow();
  return row < 0 || !untallying_.CanTakeBack(entries_[row]);
}

void UntallyDialog::SelectionChanged() { untally_->setEnabled(!SelectedIsMarker()); }

void UntallyDialog::LineDoubleClicked() {
  if (SelectedIsMarker()) {
    untally_->setEnabled(false);
    return;
  }
  UntallySelection();
}

void UntallyDialog::UntallySelection() {
  const int row = list_->currentRow();
  if (row < 0) return;
  untally_->setEnabled(false);
  if (untallying_.TakeBack(row, entries_[row])) {
    entries_[row] = BufferEntry{};
    list_->item(row)->setText(ToQString(untallying_.Line(entries_[row])));
  }
}

void UntallyDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
