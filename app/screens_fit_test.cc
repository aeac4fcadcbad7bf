// Every screen at the scale the test runs at (QT_SCALE_FACTOR 1, 1.5 and 2
// through ctest): no text clipped by its control, every control named and
// described for screen readers, every control reachable by Tab except on
// the tally screen, which takes every key as a tally.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <functional>
#include <map>
#include <vector>

#include "app/about_dialog.h"
#include "app/create_template_dialog.h"
#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/setup_dialog.h"
#include "app/specify_units_dialog.h"
#include "app/summary_dialog.h"
#include "app/tally_dialog.h"
#include "app/testing/app_fixture.h"
#include "app/untally_dialog.h"
#include "app/utilities_dialog.h"
#include "editors/define_columns_dialog.h"
#include "editors/edit_data_dialog.h"
#include "editors/select_table_dialog.h"
#include "editors/setup_tables_dialog.h"
#include "model/tally_model.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

QString Shown(QString text) {
  text.replace(QLatin1String("&&"), QLatin1String("\x01"));
  text.remove(QLatin1Char('&'));
  return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// Whether the control's text lies inside it.
void ExpectTextFits(QWidget* w, const std::string& where) {
  const QFontMetrics metrics(w->font());
  const std::string what = where + "/" + w->objectName().toStdString();
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (label->text().isEmpty() || !label->pixmap().isNull()) return;
    if (label->wordWrap()) {
      EXPECT_LE(label->heightForWidth(label->width()), label->height()) << what;
    } else {
      for (const QString& line : label->text().split(QLatin1Char('\n'))) {
        EXPECT_LE(metrics.horizontalAdvance(line), label->contentsRect().width()) << what;
      }
    }
  } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
    EXPECT_LE(check->sizeHint().width() - 2, check->width()) << what;
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    const QStringList lines = Shown(button->text()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
      EXPECT_LE(metrics.horizontalAdvance(line), button->width() - 2) << what;
    }
    EXPECT_LE(lines.size() * metrics.height(), button->height()) << what;
  }
}

bool Interactive(QWidget* w) {
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
         qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w);
}

// Every control of the screen itself lies wholly inside it, and no two
// controls one can click or type into cover each other.
void ExpectControlsInsideAndApart(QWidget* screen, const std::string& where) {
  std::vector<QWidget*> controls;
  for (QWidget* w : screen->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!w->isVisible() || w->isWindow()) continue;
    EXPECT_TRUE(screen->rect().contains(w->geometry()))
        << where << "/" << w->objectName().toStdString();
    if (Interactive(w)) controls.push_back(w);
  }
  // Rounding dialog units to pixels may let neighbours share one edge pixel.
  auto inner = [](const QWidget* w) { return w->geometry().adjusted(0, 0, -1, -1); };
  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(inner(controls[i]).intersects(inner(controls[j])))
          << where << ": " << controls[i]->objectName().toStdString() << " covers "
          << controls[j]->objectName().toStdString();
    }
  }
}

// No two controls of a screen answer the same Alt letter.
void ExpectAltLettersApart(QWidget* screen, const std::string& where) {
  std::map<int, QString> taken;
  for (QAbstractButton* button : screen->findChildren<QAbstractButton*>()) {
    const QKeySequence alt = QKeySequence::mnemonic(button->text());
    if (alt.isEmpty()) continue;
    const auto [first, fresh] = taken.emplace(alt[0].toCombined(), button->objectName());
    EXPECT_TRUE(fresh) << where << ": " << button->objectName().toStdString() << " and "
                       << first->second.toStdString() << " share " << alt.toString().toStdString();
  }
}

void CheckScreen(QWidget* screen, bool keyboard) {
  screen->show();
  QCoreApplication::processEvents();
  const std::string where = screen->objectName().toStdString();
  ExpectControlsInsideAndApart(screen, where);
  ExpectAltLettersApart(screen, where);
  for (QWidget* w : screen->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->window() != screen) continue;
    // Inside a table or chart the view does its own drawing.
    if (w->parentWidget() != screen && qobject_cast<QAbstractItemView*>(w->parentWidget()))
      continue;
    ExpectTextFits(w, where);
    // The field inside an editable drop-down list speaks for the list.
    if (!Interactive(w) || Interactive(w->parentWidget())) continue;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr);
    const std::string what = where + "/" + w->objectName().toStdString();
    EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << what;
    EXPECT_FALSE(a->text(QAccessible::Description).isEmpty()) << what;
    if (keyboard && w->isEnabled()) {
      EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus) << what;
    }
  }
  screen->hide();
}

class ScreensFitTest : public AppTest {};

TEST_F(ScreensFitTest, EveryScreenShowsItsTextsWholeAndNamesItsControls) {
  const QString path = CopyTallyFile(ExampleTallyFile());
  AddPopulations(path, 20, 'A');
  auto main = OpenMain(path);
  ASSERT_TRUE(main->model().is_open());
  TallyModel& model = main->model();
  CheckScreen(main.get(), true);
  {
    TallyDialog tally(main.get());
    main->ui().set_tally_dialog(&tally);
    CheckScreen(&tally, false);
    // Maximized on a full-HD screen, the top row and a HIT's record editor
    // over it grow to be read at arm's length and touched with a finger.
    tally.resize(1920, 1080);
    CheckScreen(&tally, false);
    const double dialog_points = tally.font().pointSizeF();
    for (const char* grown : {"unitList", "statusLine", "numberBox"}) {
      EXPECT_GE(tally.findChild<QWidget*>(grown)->font().pointSizeF(), 2 * dialog_points) << grown;
    }
    const RecordEditorRequest hit{
        model.store(), model.store()->FindView("Trees"), 0, "001", "Pine", true, "1"};
    std::unique_ptr<EditDataDialog> editor = tally.MakeRecordEditor(hit);
    CheckScreen(editor.get(), true);
    EXPECT_GE(editor->font().pointSizeF(), 2 * dialog_points);
    EXPECT_TRUE(QRect(QPoint(), tally.size()).contains(QRect(QPoint(), editor->size())));
    main->ui().set_tally_dialog(nullptr);
  }
  AboutDialog about(main.get());
  CheckScreen(&about, true);
  UtilitiesDialog utilities(model.utilities(), model.templates(), main.get());
  CheckScreen(&utilities, true);
  UntallyDialog untally(model.untally(), main.get());
  CheckScreen(&untally, true);
  SummaryDialog summary(model.utilities().Summary(), main.get());
  CheckScreen(&summary, true);
  CreateTemplateDialog create_template(main.get());
  CheckScreen(&create_template, true);
  SpecifyUnitsDialog units(model.settings(), main.get());
  CheckScreen(&units, true);
  SetupDialog setup(model, model.num_populations(), main.get());
  CheckScreen(&setup, true);
  SetupTablesDialog tables(model, main.get());
  CheckScreen(&tables, true);
  SelectTableDialog select(model, main.get());
  CheckScreen(&select, true);
  ColumnsExchange exchange{"Trees", "Unit,Num,Label,Height"};
  DefineColumnsDialog columns(&exchange, true, main.get());
  CheckScreen(&columns, true);
  EditDataDialog populations(model, model.tally_slot(), std::make_unique<PopulationsMode>(),
                             main.get());
  CheckScreen(&populations, true);
}

}  // namespace
}  // namespace woodtick
