#include "app/tally_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <cctype>
#include <climits>

#include "app/caption_fit.h"
#include "app/main_dialog.h"
#include "editors/edit_data_dialog.h"
#include "editors/record_editor_modes.h"
#include "model/tally_model.h"
#include "model/text.h"
#include "widgets/accessible_texts.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/key_codes.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

// The number box's value: leading blanks, an optional sign, then decimal
// digits, whatever follows them; 0 when no digits follow.
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

// Where the window's size is remembered between showings.
constexpr char kSettingsGroup[] = "TallyWindow";
QSettings WindowSettings() {
  return QSettings(QStringLiteral("Woodtick"), QStringLiteral("Woodtick"));
}

// Captions start this many times the dialog font and shrink to fit: a big
// window gets big captions. The top row and a HIT's record editor grow
// with the window up to the same factor, read at arm's length.
constexpr double kCaptionGrowth = 2.5;

// The button area's top at the common size, in pixels; it moves down as
// the top row grows.
constexpr int kButtonTop = 35;

// The top row's controls, in dialog units of its own font.
constexpr int kNumLabelX = 112;
constexpr int kNumberBoxX = 134;

// The room for a caption inside a button's frame, where the style draws
// it, with a little air at the sides and more above and below.
QSize CaptionRoom(const QPushButton* button) {
  const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
  return button->size() - QSize(2 * frame + 4, 2 * frame + 8);
}

}  // namespace

TallyDialog::TallyDialog(MainDialog* owner) : QDialog(owner), owner_(owner) {
  setObjectName(QStringLiteral("tallyDialog"));
  SetUpDialog(this, QStringLiteral("Tally"));
  // Resizable and maximizable with the frame, never smaller than the
  // common screen size.
  setMinimumSize(size());
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);

  unit_caption_ =
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
  status_head_ = QStringLiteral("Welcome...");
  for (int unit = 1; unit <= settings().num_units(); ++unit) {
    unit_list_->addItem(ToQString(UnitText(unit)));
  }
  unit_list_->setCurrentIndex(settings().cur_unit() - 1);
  LayoutButtons();
  num_box_shown_ = settings().show_num_box();
  if (num_box_shown_) {
    num_label_->show();
    number_box_->show();
    RefreshHitNumber();
  }
  unit_list_->setFocus();
  // Every key of this screen passes here first, whichever control has it.
  qApp->installEventFilter(this);
  // Not centred: it opens at the owner's client corner.
  PlaceAtOrigin(this);
  RestoreWindowSize();
  PlaceTopRow();
  FitStatus();
}

TallyDialog::~TallyDialog() {
  qApp->removeEventFilter(this);
  // Closed without being hidden first (its owner went): remember it still.
  if (isVisible()) SaveWindowSize();
}

void TallyDialog::RestoreWindowSize() {
  QSettings settings = WindowSettings();
  settings.beginGroup(QLatin1String(kSettingsGroup));
  QSize saved = settings.value(QStringLiteral("size")).toSize();
  // A size left on a bigger screen shrinks to this one.
  if (const QScreen* screen = this->screen()) saved = saved.boundedTo(screen->availableSize());
  if (saved.isValid()) resize(saved.expandedTo(minimumSize()));
  if (settings.value(QStringLiteral("maximized"), false).toBool()) {
    setWindowState(windowState() | Qt::WindowMaximized);
  }
}

void TallyDialog::ForgetWindowSize() { WindowSettings().remove(QLatin1String(kSettingsGroup)); }

void TallyDialog::SaveWindowSize() {
  QSettings settings = WindowSettings();
  settings.beginGroup(QLatin1String(kSettingsGroup));
  settings.setValue(QStringLiteral("size"), isMaximized() ? normalGeometry().size() : size());
  settings.setValue(QStringLiteral("maximized"), isMaximized());
}

void TallyDialog::hideEvent(QHideEvent* event) {
  SaveWindowSize();
  QDialog::hideEvent(event);
}

void TallyDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PlaceTopRow();
  PlaceButtons();
  FitStatus();
}

void TallyDialog::UpdateGrowth() {
  const QSize common = minimumSize();
  const double fit = std::min(double(width()) / common.width(), double(height()) / common.height());
  growth_ = std::clamp(fit, 1.0, kCaptionGrowth);
}

void TallyDialog::PlaceTopRow() {
  UpdateGrowth();
  QFont font = this->font();
  font.setPointSizeF(font.pointSizeF() * growth_);
  const DialogUnits units(font);
  // Labels never narrower than their text in this font.
  auto place_label = [&](QLabel* label, int x, int y, int w, int h) {
    QRect rect = units.ToPixels(x, y, w, h);
    label->setFont(font);
    rect.setWidth(
        std::max(rect.width(), label->fontMetrics().horizontalAdvance(label->text()) + 1));
    label->setGeometry(rect);
  };
  const int shift = std::max(0, width() - units.ToPixelsX(kDialogWidthDu));
  place_label(unit_caption_, 3, 6, 16, 8);
  unit_list_->setFont(font);
  unit_list_->setGeometry(QRect(units.ToPixels(22, 4, 27, 0).topLeft(),
                                QSize(units.ToPixelsX(27), unit_list_->sizeHint().height())));
  place_label(num_label_, kNumLabelX, 6, 18, 8);
  num_label_->move(num_label_->x() + shift, num_label_->y());
  number_box_->setFont(font);
  number_box_->setGeometry(units.ToPixels(kNumberBoxX, 3, 22, 14).translated(shift, 0));
  const int left = units.ToPixelsX(52);
  const int right =
      num_box_shown_ ? num_label_->x() - units.ToPixelsX(5) : width() - units.ToPixelsX(3);
  status_->setGeometry(left, units.ToPixelsY(6), right - left, units.ToPixelsY(8));
  // The buttons start under the lowest control of the row.
  const int row_bottom = std::max(unit_list_->geometry().bottom(),
                                  num_box_shown_ ? number_box_->geometry().bottom() : 0);
  button_top_ = std::max(static_cast<int>(kButtonTop * growth_ + 0.5), row_bottom + 3);
}

TallyModel& TallyDialog::model() const { return owner_->model(); }
Tallying& TallyDialog::tallying() const { return owner_->model().tallying(); }
const TallySettings& TallyDialog::settings() const { return owner_->model().settings(); }

QRect TallyDialog::ButtonArea() const {
  // The client area under the top row, less one pixel of its width and
  // height; from the client area so the window manager's frame does not
  // matter.
  return QRect(0, button_top_, width() - 1, height() - button_top_ - 1);
}

void TallyDialog::LayoutButtons() {
  BusyCursor busy(model().ui());
  const std::vector<PopulationButton> buttons = tallying().PopulationButtons(settings().cur_unit());
  const int n = static_cast<int>(buttons.size());
  const bool counts = settings().show_counts_on_buttons();
  for (int j = 0; j < std::min(n, kMaxPopulationButtons); ++j) {
    const PopulationButton& b = buttons[j];
    button_key_[j] = b.key;
    button_label_[j] = ToQString(b.label);
    button_lines_[j] = {ToQString("[" + b.key + "]")};
    if (counts) {
      button_lines_[j] << QStringLiteral("C:%1").arg(b.count) << QStringLiteral("M:%1").arg(b.hits);
    }
  }
  shown_buttons_ = n <= kMaxPopulationButtons ? n : 0;
  PlaceButtons();
}

void TallyDialog::PlaceButtons() {
  const QRect area = ButtonArea();
  orientation_ = OrientationOf(area.width(), area.height());
  const std::vector<GridCell> cells = ButtonCells(shown_buttons_, orientation_);
  for (size_t i = 0; i < cells.size(); ++i) {
    const QRect rect = CellRect(cells[i], area);
    if (rect.isNull()) continue;
    buttons_[i]->setGeometry(rect);
    buttons_[i]->show();
  }
  // One size for all captions, the largest at which every one fits.
  QFont font = this->font();
  caption_points_ = font.pointSizeF() * kCaptionGrowth;
  for (size_t i = 0; i < cells.size(); ++i) {
    font.setPointSizeF(caption_points_);
    const FittedText fitted =
        woodtick::FitCaption(button_label_[i], button_lines_[i], font, CaptionRoom(buttons_[i]));
    caption_points_ = std::min(caption_points_, fitted.font.pointSizeF());
  }
  for (size_t i = 0; i < cells.size(); ++i) FitCaption(static_cast<int>(i));
}

void TallyDialog::FitCaption(int j) {
  QPushButton* button = buttons_[j];
  QFont font = this->font();
  if (caption_points_ > 0) font.setPointSizeF(caption_points_);
  const FittedText fitted =
      woodtick::FitCaption(button_label_[j], button_lines_[j], font, CaptionRoom(button));
  button->setFont(fitted.font);
  // A label's "&" is text, never an Alt shortcut that would bypass the hot keys.
  button->setText(QString(fitted.text).replace(QLatin1Char('&'), QStringLiteral("&&")));
  const QStringList& lines = button_lines_[j];
  button->setAccessibleName(button_label_[j] + QStringLiteral(", key ") +
                            ToQString(button_key_[j]));
  button->setAccessibleDescription(
      lines.size() >= 3
          ? QStringLiteral("Count %1, measured %2").arg(lines[1].mid(2), lines[2].mid(2))
          : QStringLiteral("Tallies %1").arg(button_label_[j]));
}

void TallyDialog::RefreshButtonCaption(int i) {
  if (i < 1 || i > kMaxPopulationButtons) return;
  const Tallying& tally = tallying();
  QStringList& lines = button_lines_[i - 1];
  lines = QStringList{lines.value(0)} << ToQString("C:" + tally.count_text())
                                      << ToQString("M:" + tally.hit_text());
  FitCaption(i - 1);
}

void TallyDialog::FitStatus() {
  QFont font = this->font();
  font.setPointSizeF(font.pointSizeF() * growth_);
  const FittedText fitted = FitLine(status_head_, status_tail_, font, status_->width());
  status_->setFont(fitted.font);
  status_->setText(fitted.text);
  status_->setAccessibleDescription(status_head_ + status_tail_);
}

void TallyDialog::ShowTallyResult(const TallyResult& result) {
  if (result.outcome == TallyOutcome::kNone) return;
  if (result.invalid()) {
    // Named as the keyboard names it: some keys have no character, others
    // a control character that would show as a stray glyph.
    status_head_.clear();
    status_tail_ = QLatin1String(kInvalidKeyStatus) + current_.name;
  } else {
    // The label part may be elided; the count and the HIT marker may not.
    const QString status = ToQString(tallying().status_text());
    const QString label = ToQString(result.label);
    const bool split = !label.isEmpty() && status.startsWith(label);
    status_head_ = split ? label : status;
    status_tail_ = split ? status.mid(label.size()) : QString();
  }
  FitStatus();
  AnnounceText(status_, status_head_ + status_tail_);
  ShowAsWarning(status_, result.invalid());
  if (!result.counted() || result.row >= kMaxPopulationButtons) return;
  if (result.measured() && result.row < shown_buttons_) flash_.Flash(buttons_[result.row]);
  if (settings().show_counts_on_buttons()) RefreshButtonCaption(result.row + 1);
}

void TallyDialog::RefreshHitNumber() {
  Tallying& tally = tallying();
  const int unit = LeadingInteger(FromQString(unit_list_->currentText()));
  if (tally.RefreshHitNumber(unit)) number_box_->setText(QString::number(tally.hit_number()));
}

void TallyDialog::ShowHitNumber(const QString& text) { number_box_->setText(text); }

TallyDialog::Keystroke TallyDialog::KeystrokeOf(const QKeyEvent& key) {
  return {std::string(1, static_cast<char>(VirtualKeyCode(key))), KeyName(key)};
}

void TallyDialog::ButtonClicked(int i) {
  Tally({button_key_[i - 1], ToQString(button_key_[i - 1])});
}

void TallyDialog::Tally(const Keystroke& keystroke) {
  waiting_.push_back(keystroke);
  if (tallying_) return;
  QScopedValueRollback<bool> running(tallying_, true);
  while (!waiting_.empty()) {
    current_ = waiting_.front();
    waiting_.pop_front();
    shown_early_ = false;
    const TallyResult result = owner_->WriteKeyBox(current_.key);
    if (!shown_early_) ShowTallyResult(result);
  }
}

std::unique_ptr<EditDataDialog> TallyDialog::MakeRecordEditor(const RecordEditorRequest& request) {
  auto editor = std::make_unique<EditDataDialog>(model(), request.slot,
                                                 std::make_unique<DataEntryMode>(request), this);
  // As large as this screen has grown, within the screen.
  const double room =
      std::min(double(width()) / editor->width(), double(height()) / editor->height());
  const double factor = std::min(growth_, room * 0.9);
  if (factor > 1.05) EnlargeScreen(editor.get(), factor);
  return editor;
}

void TallyDialog::RunRecordEditor(const RecordEditorRequest& request) {
  ShowTallyResult(tallying().last_tally());
  shown_early_ = true;
  // Keys already on their way were pressed before the editor showed: the
  // filter keeps them as tallies while this one runs.
  QGuiApplication::sync();
  std::unique_ptr<EditDataDialog> editor = MakeRecordEditor(request);
  editor_ = editor.get();
  editor_shown_.invalidate();
  // Not modal to the window system: a modal editor would have keys still
  // bound for this screen dropped unseen. The filter holds this screen's
  // input instead, which is all that modality gave.
  editor->setWindowModality(Qt::NonModal);
  QEventLoop loop;
  connect(editor.get(), &QDialog::finished, &loop, &QEventLoop::quit);
  editor->show();
  // Asked for, as the window system does for a modal window.
  editor->activateWindow();
  if (editor->isVisible()) loop.exec(QEventLoop::DialogExec);
  editor_ = nullptr;
  editor.reset();
  activateWindow();
}

void TallyDialog::UnitActivated(int index) {
  tallying().SetCurrentUnit(FromQString(unit_list_->itemText(index)));
}

void TallyDialog::NumberBoxLeft() {
  tallying().SetHitNumber(LeadingInteger(FromQString(number_box_->text())));
  editing_number_ = false;
}

bool TallyDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == number_box_) {
    if (event->type() == QEvent::FocusIn) editing_number_ = true;
    if (event->type() == QEvent::FocusOut) NumberBoxLeft();
  }
  auto* widget = qobject_cast<QWidget*>(watched);
  if (tallying_ && widget && HoldInput(widget, event)) return true;
  if (event->type() != QEvent::KeyPress || editing_number_)
    return QDialog::eventFilter(watched, event);
  // Only keys meant for this screen; a record editor opened by a HIT sits
  // over it and gets its own keys.
  if (!widget || widget->window() != this) {
    return QDialog::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & Qt::AltModifier) return QDialog::eventFilter(watched, event);
  Tally(KeystrokeOf(*key));
  return true;
}

bool TallyDialog::record_editor_takes_keys() {
  if (!editor_) return false;
  if (!editor_shown_.isValid()) {
    const QWindow* window = editor_->windowHandle();
    if (editor_->isActiveWindow() && window && window->isExposed()) editor_shown_.start();
    return false;
  }
  return editor_shown_.hasExpired(kRecordEditorNoticeMs);
}

bool TallyDialog::HoldInput(QWidget* widget, QEvent* event) {
  const QEvent::Type type = event->type();
  // Every event while the editor opens, its activation and first paint
  // among them, may be the moment it has appeared.
  const bool ready = record_editor_takes_keys();
  auto* key = type == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
  // A key that reaches the editor before it has appeared was meant for
  // this screen.
  if (editor_ && widget->window() == editor_) {
    if (ready || !key) return false;
    if (!(key->modifiers() & Qt::AltModifier)) {
      waiting_.push_back(KeystrokeOf(*key));
    }
    return true;
  }
  if (widget->window() != this) return false;
  auto* button = qobject_cast<QPushButton*>(widget);
  switch (type) {
    case QEvent::KeyPress:
      if (!ready && !(key->modifiers() & Qt::AltModifier)) {
        waiting_.push_back(KeystrokeOf(*key));
      }
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      for (int i = 0; !ready && button && i < shown_buttons_; ++i) {
        if (buttons_[i] == button) waiting_.push_back({button_key_[i], ToQString(button_key_[i])});
      }
      break;
    case QEvent::Close:
      event->ignore();
      break;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      break;
    default:
      return false;
  }
  // This screen waits for the editor; the editor keeps the keyboard.
  if (ready && (type == QEvent::KeyPress || type == QEvent::MouseButtonPress)) {
    editor_->activateWindow();
  }
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
