#include "editors/edit_data_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <vector>

#include "editors/table_definitions.h"
#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"
#include "store/data_store.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

// Tally's fixed columns, in the positions the checks rely on.
constexpr int kKeyColumn = 0;
constexpr int kLabelColumn = 1;
constexpr int kMethColumn = 3;
constexpr int kFreqColumn = 4;
constexpr int kDatTableColumn = 5;

constexpr int kCaptionY[EditDataDialog::kMaxFields] = {15, 30, 47, 63, 79, 95};
constexpr int kFieldY[EditDataDialog::kMaxFields] = {12, 28, 44, 60, 76, 92};
constexpr int kUnlimitedLength = 32767;

}  // namespace

EditDataDialog::EditDataDialog(TallyModel& model, DataStore& store, int slot, int record,
                               EditDataMode mode, QWidget* parent)
    : QDialog(parent),
      model_(model),
      store_(store),
      slot_(slot),
      current_record_(record),
      mode_(mode) {
  BuildControls();
  Open();
}

EditDataDialog::EditDataDialog(TallyModel& model, const RecordEditorRequest& request,
                               QWidget* parent)
    : QDialog(parent),
      model_(model),
      store_(*request.store),
      slot_(request.slot),
      current_record_(request.row),
      mode_(EditDataMode::kDataEntry),
      unit_text_(request.unit_text),
      label_text_(request.label),
      fill_from_hit_(true),
      fill_num_(request.fill_num),
      hit_number_text_(request.hit_number_text) {
  BuildControls();
  Open();
}

EditDataDialog::~EditDataDialog() { Finish(); }

void EditDataDialog::RunDataEntry(TallyModel& model, const RecordEditorRequest& request,
                                  QWidget* parent) {
  EditDataDialog dialog(model, request, parent);
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
  delete_ = AddButton(this, "deleteRecord", "Delete", 49, 138, 30, 11);
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
  populations_changed_ = false;
  const mk::View view = store_.View(slot_);
  record_count_ = view.GetSize();
  column_count_ = view.NumProperties();
  shown_fields_ = std::min(column_count_, kMaxFields);
  for (int k = 0; k < kMaxFields; ++k) captions_[k]->hide();
  for (int k = 0; k < shown_fields_; ++k) {
    captions_[k]->setText(ToQString(ColumnName(k)));
    captions_[k]->show();
  }
  ShowRecord();
  status_->clear();
  if (mode_ == EditDataMode::kEditData) GoLast();
}

std::string EditDataDialog::ColumnName(int col) const {
  const mk::View view = store_.View(slot_);
  return col < view.NumProperties() ? view.NthProperty(col).name : std::string();
}

std::string EditDataDialog::ViewName() const {
  // The store names its slots but does not answer a slot's name; the view
  // is Tally or one of the data tables, so ask for each of those.
  std::vector<std::string> names = {"Tally"};
  for (const std::string& table : SplitTableList(model_.tables_defined())) names.push_back(table);
  for (const std::string& name : names) {
    if (!name.empty() && store_.FindView(name) == slot_) return name;
  }
  return std::string();
}

void EditDataDialog::SetNavigationEnabled(bool enabled) {
  for (QPushButton* button : {delete_, first_, previous_, next_, last_}) {
    button->setEnabled(enabled);
  }
}

void EditDataDialog::ShowRecord() {
  // Hiding the focused field moves the focus on, and the dialog then places
  // it itself: neither is the user leaving a field.
  const QScopedValueRollback<bool> placing(moving_focus_, true);
  for (QLineEdit* field : fields_) field->hide();
  if (record_count_ < 1) {
    SetNavigationEnabled(false);
    header_->setText("This table is empty");
    return;
  }
  int focus = 0;
  bool all_filled = true;
  for (int k = shown_fields_ - 1; k >= 0; --k) {
    QLineEdit* field = fields_[k];
    field->show();
    const std::string name = ColumnName(k);
    std::string text;
    bool filled = false;
    if (fill_from_hit_ && name == "Unit") {
      text = unit_text_;
      filled = true;
    } else if (fill_from_hit_ && name == "Label") {
      text = label_text_;
      filled = true;
    } else if (fill_from_hit_ && name == "Num" && fill_num_) {
      text = hit_number_text_;
      filled = true;
    } else {
      store_.GetString(slot_, current_record_, k, &text);
    }
    // A hot key is one character; a longer stored value is kept whole
    // rather than cut short by the limit and then saved back cut.
    field->setMaxLength(name == "Key" ? std::max<int>(1, ToQString(text).size())
                                      : kUnlimitedLength);
    field->setText(ToQString(text));
    field->setCursorPosition(0);
    if (!filled) {
      focus = k;
      all_filled = false;
    }
  }
  if (all_filled) focus = 0;
  if (shown_fields_ > 0) fields_[focus]->setFocus();
  header_->setText(QString("Editing record %1 of %2 from %3")
                       .arg(current_record_ + 1)
                       .arg(record_count_)
                       .arg(ToQString(ViewName())));
  fill_from_hit_ = false;
}

void EditDataDialog::SaveRecord() {
  if (record_count_ < 1 || current_record_ < 0 || current_record_ >= record_count_) return;
  for (int k = 0; k < shown_fields_; ++k) {
    store_.SetString(slot_, current_record_, k, FromQString(fields_[k]->text()));
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
  if (mode_ == EditDataMode::kPopulations && record_count_ >= kMaxPopulations) {
    model_.ui().ShowMessage({"Maximum populations is 20", kProgramTitle, MessageIcon::kExclamation,
                             MessageButtons::kOk});
    return;
  }
  if (!CheckRecord()) return;
  SetNavigationEnabled(true);
  SaveRecord();
  current_record_ = store_.AddRow(slot_, -1);
  record_count_ = store_.View(slot_).GetSize();
  ShowRecord();
  status_->setText("New record, please edit");
  if (mode_ == EditDataMode::kPopulations) {
    model_.ChangeNumPopulations(1);
    if (population_count_changed_) population_count_changed_(1);
  }
}

void EditDataDialog::DeleteRecord() {
  status_->clear();
  if (record_count_ < 1 || current_record_ < 0 || current_record_ >= record_count_) return;
  const int deleted = current_record_;
  store_.View(slot_).RemoveAt(deleted, 1);
  record_count_ = store_.View(slot_).GetSize();
  if (current_record_ > record_count_ - 1) current_record_ = record_count_ - 1;
  update();

  std::string note =
      "Record " + std::to_string(deleted + 1) + " from the " + ViewName() + " table: ";
  for (int k = 0; k < kMaxFields; ++k) {
    if (k > 0) note += ", ";
    if (k < shown_fields_) note += FromQString(fields_[k]->text());
  }
  const char* message =
      mode_ == EditDataMode::kDataEntry  ? "Data record deleted while in Data Entry"
      : mode_ == EditDataMode::kEditData ? "Data record deleted while in Edit Data"
                                         : "Population record deleted";
  store_.LogMessage(message, "A", note);

  ShowRecord();
  if (mode_ == EditDataMode::kPopulations) {
    model_.ChangeNumPopulations(-1);
    if (population_count_changed_) population_count_changed_(-1);
  }
  status_->setText("Record deleted");
}

bool EditDataDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    for (int k = 0; k < kMaxFields; ++k) {
      if (watched != fields_[k]) continue;
      const std::string name = ColumnName(k);
      if ((k == kMethColumn && name == "Meth") || (k == kFreqColumn && name == "Freq")) {
        populations_changed_ = true;
      }
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      // Another window coming up (a message box) or this one closing is not
      // the user leaving the field; nor is Delete, which throws the record
      // away, checks and all.
      const bool left = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                        QApplication::focusWidget() != delete_ && !refocusing_ && !moving_focus_ &&
                        !finished_ && isVisible() && k < shown_fields_ && record_count_ > 0;
      if (left) CheckField(k);
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool EditDataDialog::CheckRecord() {
  // A refusal already on its way back to its field answers for the record.
  if (refocusing_) return false;
  if (record_count_ < 1 || current_record_ < 0 || current_record_ >= record_count_) return true;
  for (int k = 0; k < shown_fields_; ++k) {
    if (!CheckField(k)) return false;
  }
  return true;
}

bool EditDataDialog::CheckField(int k) {
  const std::string name = ColumnName(k);
  if (k == kKeyColumn && name == "Key") {
    if (fields_[k]->text().isEmpty()) {
      RefuseField(k, {"You must enter a hotkey for this population!", "Missing Key",
                      MessageIcon::kExclamation, MessageButtons::kOk});
      return false;
    }
    const std::string owner = PopulationWithKey(FromQString(fields_[k]->text()));
    if (!owner.empty()) {
      RefuseField(k, {"The hotkey " + FromQString(fields_[k]->text()) +
                          " is already used by the population " + owner +
                          ".\nEach population needs a hotkey of its own (upper and lower case "
                          "count as the same key).",
                      "Duplicate Key", MessageIcon::kExclamation, MessageButtons::kOk});
      return false;
    }
  } else if (k == kDatTableColumn && name == "DatTable") {
    const std::string table = TrimBlanks(FromQString(fields_[k]->text()));
    fields_[k]->setText(ToQString(table));
    if (table.empty()) return true;
    if (IsReservedTableName(table)) {
      fields_[k]->clear();
      RefuseField(k, {"The name '" + table +
                          "' is reserved for one of Woodtick's own tables; "
                          "choose one of your data tables.",
                      "Table Name Error", MessageIcon::kExclamation, MessageButtons::kOk});
      return false;
    }
    std::string stored;
    model_.ReadSetting("Tally", "TablesDefined", &stored);
    if (!TableListContains(stored, table)) {
      fields_[k]->clear();
      RefuseField(k, {"The table '" + table + "' does not exist! Check your spelling and case.",
                      "Table Name Error", MessageIcon::kExclamation, MessageButtons::kOk});
      return false;
    }
  }
  return true;
}

std::string EditDataDialog::PopulationWithKey(const std::string& key) const {
  const std::string wanted = UpperCase(key);
  for (int row = 0; row < record_count_; ++row) {
    if (row == current_record_) continue;
    std::string other;
    store_.GetString(slot_, row, kKeyColumn, &other);
    if (UpperCase(other) != wanted) continue;
    std::string label;
    store_.GetString(slot_, row, kLabelColumn, &label);
    return label.empty() ? "in record " + std::to_string(row + 1) : label;
  }
  return std::string();
}

void EditDataDialog::RefuseField(int k, const Message& message) {
  refocusing_ = true;
  model_.ui().ShowMessage(message);
  // The focus is still on its way to the next control; send it back once
  // that has settled.
  QTimer::singleShot(0, this, [this, k] {
    fields_[k]->setFocus();
    refocusing_ = false;
  });
}

void EditDataDialog::Finish() {
  if (finished_) return;
  finished_ = true;
  if (populations_changed_) {
    // Save first so the rebuild sees this record's Meth and Freq too.
    SaveRecord();
    model_.BuildStrategies();
  }
  SaveRecord();
}

void EditDataDialog::done(int result) {
  // Escape and the close box leave the record too.
  if (!finished_ && !CheckRecord()) return;
  Finish();
  QDialog::done(result);
}

void EditDataDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
