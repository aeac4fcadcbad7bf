#include "app/tally_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cctype>
#include <climits>

#include "app/common/controls.h"
#include "app/common/dialog_units.h"
#include "app/common/key_codes.h"
#include "app/common/text.h"
#include "app/main_dialog.h"
#include "model/tally_model.h"
#include "model/text.h"

namespace woodtick {
namespace {

// The number box's value as the platform read it: leading blanks, an
// optional sign, then decimal digits; 0 when no digits follow.
int LeadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
  }
  return static_cast<int>(negative ? -value : value);
}

}  // namespace

TallyDialog::TallyDialog(MainDialog* owner) : QDialog(owner), owner_(owner) {
  setObjectName(QStringLiteral("tallyDialog"));
  SetUpDialog(this, QStringLiteral("Tally"));

  AddLabel(this, "unitCaption", QStringLiteral("Unit:"), Qt::AlignLeft, 3, 6, 16, 8);
  unit_list_ = AddComboBox(this, "unitList", ComboField::kListOnly, 22, 4, 27, 51);
  status_ = AddLabel(this, "statusLine", QStringLiteral("status"), Qt::AlignLeft, 52, 6, 55, 8);
  num_label_ = AddLabel(this, "numLabel", QStringLiteral("Num:"), Qt::AlignLeft, 112, 6, 18, 8);
  number_box_ = AddEdit(this, "numberBox", 134, 3, 22, 14);
  num_label_->hide();
  number_box_->hide();
  number_box_->installEventFilter(this);

  for (int i = 0; i < kMaxPopulationButtons; ++i) {
    auto* button = new QPushButton(QStringLiteral("Pop%1").arg(i + 1), this);
    button->setObjectName(QStringLiteral("Pop%1").arg(i + 1));
    button->setAutoDefault(false);
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, i] { ButtonClicked(i + 1); });
    buttons_[i] = button;
  }
  connect(unit_list_, &QComboBox::activated, this, &TallyDialog::UnitActivated);

  // Initialisation, as each showing of the screen does.
  status_->setText(QStringLiteral("Welcome..."));
  TallyModel& tally = model();
  for (int unit = 1; unit <= tally.num_units(); ++unit) {
    unit_list_->addItem(ToQString(UnitText(unit)));
  }
  unit_list_->setCurrentIndex(tally.cur_unit() - 1);
  LayoutButtons();
  num_box_shown_ = tally.show_num_box();
  if (num_box_shown_) {
    num_label_->show();
    number_box_->show();
    RefreshHitNumber();
  }
  unit_list_->setFocus();
  // Every key of this screen passes here first, whichever control has it.
  qApp->installEventFilter(this);
  // Not centred: the resource puts it at the owner's client corner.
  PlaceAtOrigin(this);
}

TallyDialog::~TallyDialog() { qApp->removeEventFilter(this); }

TallyModel& TallyDialog::model() const { return owner_->model(); }

QRect TallyDialog::ButtonArea() const {
  // The original's outer rectangle less 7 and 61 pixels leaves one pixel
  // of the client width and 36 of its height; taken from the client area
  // here so the window manager's frame does not matter.
  return QRect(0, 35, width() - 1, height() - 36);
}

void TallyDialog::LayoutButtons() {
  BusyCursor busy(model().ui());
  const QRect area = ButtonArea();
  orientation_ = OrientationOf(area.width(), area.height());
  TallyModel& tally = model();
  DataStore* store = tally.store();
  const int n = store ? tally.num_populations() : 0;
  const int slot = store ? store->FindView("Tally") : -1;
  const auto& cols = tally.tally_columns();
  const bool counts = tally.show_counts_on_buttons();
  for (int j = 0; j < std::min(n, kMaxPopulationButtons); ++j) {
    std::string key, label;
    store->GetString(slot, j, cols.key, &key);
    store->GetString(slot, j, cols.label, &label);
    button_key_[j] = key;
    button_base_[j] = label + "\n[" + key + "]";
    std::string caption = button_base_[j];
    if (counts) {
      std::string count, hits;
      store->GetString(slot, j, cols.count, &count);
      store->GetString(slot, j, cols.hit, &hits);
      caption += "\nC:" + count + "\nM:" + hits;
    }
    buttons_[j]->setText(ToQString(caption));
  }
  const std::vector<GridCell> cells = ButtonCells(n, orientation_);
  for (size_t i = 0; i < cells.size(); ++i) {
    const QRect rect = CellRect(cells[i], area);
    if (rect.isNull()) continue;
    buttons_[i]->setGeometry(rect);
    buttons_[i]->show();
  }
}

void TallyDialog::RefreshButtonCaption(int i) {
  if (i < 1 || i > kMaxPopulationButtons) return;
  const TallyModel& tally = model();
  buttons_[i - 1]->setText(
      ToQString(button_base_[i - 1] + "\nC:" + tally.count_text() + "\nM:" + tally.hit_text()));
}

void TallyDialog::RefreshHitNumber() {
  TallyModel& tally = model();
  const int unit = LeadingInteger(FromQString(unit_list_->currentText()));
  if (tally.RefreshHitNumber(unit)) number_box_->setText(QString::number(tally.hit_number()));
}

void TallyDialog::ShowHitNumber(const QString& text) { number_box_->setText(text); }

void TallyDialog::TallyKey(int virtual_key) {
  owner_->WriteKeyBox(std::string(1, static_cast<char>(virtual_key)));
  AfterTally();
}

void TallyDialog::ButtonClicked(int i) {
  owner_->WriteKeyBox(button_key_[i - 1]);
  status_->setText(ToQString(model().status_text()));
  if (model().show_counts_on_buttons()) RefreshButtonCaption(i);
}

void TallyDialog::AfterTally() {
  const TallyModel& tally = model();
  status_->setText(ToQString(tally.status_text()));
  // After an invalid key this repaints the last tallied population's
  // unchanged counts.
  const int row = tally.last_row();
  if (tally.show_counts_on_buttons() && row >= 0 && row < kMaxPopulationButtons) {
    RefreshButtonCaption(row + 1);
  }
}

void TallyDialog::UnitActivated(int index) {
  model().SetCurrentUnit(FromQString(unit_list_->itemText(index)));
}

void TallyDialog::NumberBoxLeft() {
  model().SetHitNumber(LeadingInteger(FromQString(number_box_->text())));
  editing_number_ = false;
}

bool TallyDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == number_box_) {
    if (event->type() == QEvent::FocusIn) editing_number_ = true;
    if (event->type() == QEvent::FocusOut) NumberBoxLeft();
  }
  if (event->type() != QEvent::KeyPress || editing_number_)
    return QDialog::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only keys meant for this screen; a record editor opened by a HIT sits
  // over it and gets its own keys.
  if (!widget || widget->window() != this) {
    return QDialog::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  const int code = VirtualKeyCode(*key);
  if (key->modifiers() & Qt::AltModifier)
    return QDialog::eventFilter(watched, event);
  TallyKey(code);
  return true;
}

void TallyDialog::keyPressEvent(QKeyEvent* event) {
  // Reached only while the number box has the focus: Enter ends the screen
  // as Escape does (the screen has no default button).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace woodtick
