#include "editors/edit_data_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <map>

#include "model/data_tables.h"
#include "model/tally_model.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

constexpr int kCaptionY[EditDataDialog::kMaxFields] = {15, 30, 47, 63, 79, 95};
constexpr int kFieldY[EditDataDialog::kMaxFields] = {12, 28, 44, 60, 76, 92};
constexpr int kUnlimitedLength = 32767;

}  // namespace

EditDataDialog::EditDataDialog(TallyModel& model, int slot, std::unique_ptr<RecordEditorMode> mode,
                               QWidget* parent)
    : QDialog(parent),
      model_(model),
      records_(model.data_tables().RecordsIn(slot)),
      mode_(std::move(mode)) {
  BuildControls();
  Open();
}

EditDataDialog::~EditDataDialog() { Finish(); }

void EditDataDialog::RunDataEntry(TallyModel& model, const RecordEditorRequest& request,
                                  QWidget* parent) {
  EditDataDialog dialog(model, request.slot, std::make_unique<DataEntryMode>(request), parent);
  dialog.exec();
}

void EditDataDialog::BuildControls() {
  setObjectName("editDataDialog");
  SetUpDialog(this, QString());

  header_ =
      AddLabel(this, "header", "Edit the fields for this table.", Qt::AlignLeft, 5, 1, 117, 8);
  for (int k = 0; k < kMaxFields; ++k) {
    const QString number = QString::number(k + 1);
    captions_[k] = AddLabel(this, qPrintable("caption" + number), "Caption " + number,
                            Qt::AlignRight, 5, kCaptionY[k], 49, 8);
  }
  for (int k = 0; k < kMaxFields; ++k) {
    fields_[k] =
        AddEdit(this, qPrintable("field" + QString::number(k + 1)), 66, kFieldY[k], 91, 14);
    fields_[k]->installEventFilter(this);
  }
  status_ = AddLabel(this, "navigationStatus", "Navigation Status", Qt::AlignLeft, 66, 111, 91, 8);
  AddLabel(this, "navigationLabel", "Navigation:", Qt::AlignLeft, 15, 116, 37, 8);

  first_ = AddButton(this, "first", "<<", 15, 127, 13, 9);
  previous_ = AddButton(this, "previous", "<", 32, 127, 13, 9);
  next_ = AddButton(this, "next", ">", 49, 127, 13, 9);
  last_ = AddButton(this, "last", ">>", 66, 127, 13, 9);
  new_ = AddButton(this, "newRecord", "&New", 15, 138, 30, 11);
  delete_ = AddButton(this, "deleteRecord", "&Delete", 49, 138, 30, 11);
  QPushButton* ok = AddButton(this, "ok", "OK", 110, 136, 48, 14);
  ok->setDefault(true);

  connect(first_, &QPushButton::clicked, this, &EditDataDialog::GoFirst);
  connect(previous_, &QPushButton::clicked, this, &EditDataDialog::GoPrevious);
  connect(next_, &QPushButton::clicked, this, &EditDataDialog::GoNext);
  connect(last_, &QPushButton::clicked, this, &EditDataDialog::GoLast);
  connect(new_, &QPushButton::clicked, this, &EditDataDialog::NewRecord);
  connect(delete_, &QPushButton::clicked, this, &EditDataDialog::DeleteRecord);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (!CheckRecord()) return;
    SaveRecord();
    accept();
  });
}

void EditDataDialog::Open() {
  record_count_ = records_.Count();
  column_names_ = records_.ColumnNames();
  shown_fields_ = std::min(static_cast<int>(column_names_.size()), kMaxFields);
  for (int k = 0; k < kMaxFields; ++k) captions_[k]->hide();
  for (int k = 0; k < shown_fields_; ++k) {
    const QString column = ToQString(ColumnName(k));
    captions_[k]->setText(column);
    captions_[k]->show();
    // A screen reader names each box by its column, as the caption does.
    captions_[k]->setBuddy(fields_[k]);
    fields_[k]->setAccessibleName(column);
    columns_[k] =
        mode_->ChecksTypes() ? records_.Definition(ColumnName(k)) : ColumnDefinition{ColumnName(k)};
  }
  current_record_ = mode_->FirstRecord(record_count_);
  ShowRecord();
  status_->clear();
}

std::string EditDataDialog::ColumnName(int col) const {
  return col < static_cast<int>(column_names_.size()) ? column_names_[col] : std::string();
}

bool EditDataDialog::HasCurrentRecord() const {
  return current_record_ >= 0 && current_record_ < record_count_;
}

void EditDataDialog::SetNavigationEnabled(bool enabled) {
  for (QPushButton* button : {delete_, first_, previous_, next_, last_}) {
    button->setEnabled(enabled);
  }
}

void EditDataDialog::ShowRecord() {
  // Hiding the focused field moves the focus on, and the dialog then places
  // it itself: neither is the user leaving a field.
  const QScopedValueRollback<Activity> placing(activity_, Activity::kPlacingFocus);
  for (QLineEdit* field : fields_) field->hide();
  if (record_count_ < 1) {
    SetNavigationEnabled(false);
    header_->setText("This table is empty");
    return;
  }
  const std::map<std::string, std::string> prefill = mode_->TakePrefill();
  int focus = 0;  // the topmost field not prefilled
  for (int k = shown_fields_ - 1; k >= 0; --k) {
    QLineEdit* field = fields_[k];
    field->show();
    const std::string name = ColumnName(k);
    std::string text;
    if (const auto filled = prefill.find(name); filled != prefill.end()) {
      text = filled->second;
    } else {
      text = records_.FieldText(current_record_, k);
      focus = k;
    }
    const QString shown = ToQString(text);
    // A hot key is one character; a longer stored value is kept whole
    // rather than cut short by the limit and then saved back cut.
    field->setMaxLength(mode_->OneCharacter(name) ? std::max<int>(1, shown.size())
                                                  : kUnlimitedLength);
    field->setText(shown);
    field->setCursorPosition(0);
    accepted_[k] = shown;
  }
  if (shown_fields_ > 0) fields_[focus]->setFocus();
  header_->setText(QString("Editing record %1 of %2 from %3")
                       .arg(current_record_ + 1)
                       .arg(record_count_)
                       .arg(ToQString(records_.Name())));
}

std::optional<std::string> EditDataDialog::StoredText(int k) const {
  std::string stored;
  if (CheckValue(columns_[k], FromQString(fields_[k]->text()), &stored)) return std::nullopt;
  return stored;
}

void EditDataDialog::SaveRecord() {
  if (!HasCurrentRecord()) return;
  for (int k = 0; k < shown_fields_; ++k) {
    // A value its column refuses is never written (a number column would
    // read it as 0); the stored one stays.
    if (const std::optional<std::string> stored = StoredText(k)) {
      records_.WriteField(current_record_, k, *stored);
    }
  }
}

void EditDataDialog::Navigate(int target) {
  if (!CheckRecord()) return;
  status_->clear();
  SaveRecord();
  if (target < 0) {
    target = 0;
    status_->setText("Already at beginning");
  } else if (target > record_count_ - 1) {
    target = std::max(0, record_count_ - 1);
    status_->setText("Already at end");
  }
  current_record_ = target;
  ShowRecord();
}

void EditDataDialog::GoFirst() { Navigate(0); }
void EditDataDialog::GoPrevious() { Navigate(current_record_ - 1); }
void EditDataDialog::GoNext() { Navigate(current_record_ + 1); }

void EditDataDialog::GoLast() {
  if (!CheckRecord()) return;
  status_->clear();
  SaveRecord();
  current_record_ = std::max(0, record_count_ - 1);
  ShowRecord();
}

void EditDataDialog::NewRecord() {
  if (const std::optional<Message> refusal = mode_->RefuseNew(record_count_)) {
    model_.ui().ShowMessage(*refusal);
    return;
  }
  if (!CheckRecord()) return;
  SetNavigationEnabled(true);
  SaveRecord();
  current_record_ = records_.Append();
  record_count_ = records_.Count();
  ShowRecord();
  status_->setText("New record, please edit");
  mode_->CountChanged(model_, 1);
}

void EditDataDialog::DeleteRecord() {
  status_->clear();
  if (!HasCurrentRecord()) return;
  const int deleted = current_record_;
  const std::string number = std::to_string(deleted + 1);
  const std::string texts = FieldTexts();
  if (!model_.ui().Confirm("Delete record " + number + " of " + std::to_string(record_count_) +
                               " from the " + records_.Name() + " table?\n\n" + texts +
                               mode_->DeleteConsequence(),
                           "Confirm Delete")) {
    return;
  }
  records_.Delete(deleted, mode_->DeletedMessage(),
                  "Record " + number + " from the " + records_.Name() + " table: " + texts);
  record_count_ = records_.Count();
  if (current_record_ > record_count_ - 1) current_record_ = record_count_ - 1;
  update();

  ShowRecord();
  mode_->CountChanged(model_, -1);
  status_->setText("Record deleted");
}

std::string EditDataDialog::FieldTexts() const {
  std::string texts;
  for (int k = 0; k < kMaxFields; ++k) {
    if (k > 0) texts += ", ";
    if (k < shown_fields_) texts += FromQString(fields_[k]->text());
  }
  return texts;
}

bool EditDataDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const auto field = std::find(fields_.begin(), fields_.end(), watched);
    if (field != fields_.end()) {
      const int k = static_cast<int>(field - fields_.begin());
      if (mode_->ChangesStrategies(ColumnName(k))) strategies_stale_ = true;
      if (UserLeftField(k, static_cast<QFocusEvent*>(event)->reason())) CheckField(k);
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool EditDataDialog::UserLeftField(int k, Qt::FocusReason reason) const {
  if (activity_ != Activity::kEditing) return false;
  // Another window coming up (a message box) or this one closing is not
  // the user leaving the field; nor is Delete, which throws the record
  // away, checks and all.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  if (QApplication::focusWidget() == delete_) return false;
  return isVisible() && k < shown_fields_ && record_count_ > 0;
}

bool EditDataDialog::CheckRecord() {
  // A refusal already on its way back to its field answers for the record.
  if (activity_ == Activity::kRefusing) return false;
  if (!HasCurrentRecord()) return true;
  for (int k = 0; k < shown_fields_; ++k) {
    if (!CheckField(k)) return false;
  }
  return true;
}

bool EditDataDialog::CheckField(int k) {
  const std::string typed = FromQString(fields_[k]->text());
  std::string text;
  if (const std::optional<std::string> refused = CheckValue(columns_[k], typed, &text)) {
    // The typed text stays, to be corrected where it stands.
    RefuseField(k, {*refused, "Value Not Allowed", MessageIcon::kExclamation, MessageButtons::kOk});
    return false;
  }
  const std::optional<Message> refusal =
      mode_->CheckField(model_, {records_.slot(), current_record_}, ColumnName(k), &text);
  if (refusal) {
    // What was there before comes back; the refused text is not kept.
    fields_[k]->setText(accepted_[k]);
    RefuseField(k, *refusal);
    return false;
  }
  if (text != typed) fields_[k]->setText(ToQString(text));
  accepted_[k] = fields_[k]->text();
  return true;
}

void EditDataDialog::RefuseField(int k, const Message& message) {
  if (activity_ != Activity::kClosed) activity_ = Activity::kRefusing;
  model_.ui().ShowMessage(message);
  // The focus is still on its way to the next control; send it back once
  // that has settled.
  QTimer::singleShot(0, this, [this, k] {
    fields_[k]->setFocus();
    if (activity_ == Activity::kRefusing) activity_ = Activity::kEditing;
  });
}

void EditDataDialog::Finish() {
  if (activity_ == Activity::kClosed) return;
  activity_ = Activity::kClosed;
  if (strategies_stale_) {
    // Save first so the rebuild sees this record's values too.
    SaveRecord();
    model_.BuildStrategies();
  }
  SaveRecord();
}

void EditDataDialog::done(int result) {
  // Escape and the close box leave the record too.
  if (activity_ != Activity::kClosed && !CheckRecord()) return;
  Finish();
  QDialog::done(result);
}

void EditDataDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
