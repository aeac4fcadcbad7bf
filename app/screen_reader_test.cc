// What a screen reader finds on the screens: controls named by what they
// are for, Alt letters on the commands, and every tally's status read out.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QKeySequence>
#include <QLabel>
#include <vector>

#include "app/setup_dialog.h"
#include "app/testing/tally_screen_fixture.h"
#include "app/untally_dialog.h"
#include "app/utilities_dialog.h"
#include "editors/edit_data_dialog.h"
#include "editors/setup_tables_dialog.h"
#include "model/tally_model.h"

namespace woodtick {
namespace {

class ScreenReaderTest : public TallyScreenTest {
 protected:
  void Open() {
    const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
    MakeCountedOnly(path, 1);  // Fir
    main_ = OpenMain(path);
    ASSERT_TRUE(main_->model().is_open());
    Show();
  }
};

QString AccessibleText(QWidget* w, QAccessible::Text t) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  return a ? a->text(t) : QString();
}

TEST_F(ScreenReaderTest, ControlsAreNamedForWhatTheyDoAndCommandsHaveAltLetters) {
  Open();
  TallyModel& model = main_->model();
  EditDataDialog editor(model, model.tally_slot(), std::make_unique<PopulationsMode>(),
                        main_.get());
  UtilitiesDialog utilities(model.utilities(), model.templates(), main_.get());
  UntallyDialog untally(model.untally(), main_.get());
  SetupDialog setup(model, model.num_populations(), main_.get());
  SetupTablesDialog tables(model, main_.get());
  struct Case {
    QWidget* screen;
    const char* object;
    const char* name;
    char alt;  // the Alt letter; 0 for none
  };
  const Case cases[] = {
      {tally_.get(), "unitList", "Unit", 0},
      {&editor, "field1", "Key", 0},
      {&editor, "field2", "Label", 0},
      {&editor, "field3", "Desc", 0},
      {&editor, "field4", "Meth", 0},
      {&editor, "field5", "Freq", 0},
      {&editor, "field6", "DatTable", 0},
      {&editor, "deleteRecord", "Delete", 'D'},
      {main_.get(), "utilitiesButton", "Utilities", 'U'},
      {main_.get(), "untallyButton", "Untally", 'N'},
      {&untally, "untallyButton", "Untally Selection", 'U'},
      {&setup, "dataTablesButton", "Setup Data Tables", 'D'},
      {&tables, "deleteTable", "Delete this Table", 'D'},
      {&tables, "editTable", "Edit this Table", 'E'},
      {&tables, "createTable", "Create New Table", 'C'},
      {&utilities, "exportButton", "Export Data", 'E'},
      {&utilities, "resetButton", "Reset Counters", 'R'},
      {&utilities, "clearTablesButton", "Clear Data Tables", 'D'},
      {&utilities, "clearLogButton", "Clear Message Log", 'L'},
      {&utilities, "templateButton", "Create Template", 'T'},
      {&utilities, "summaryButton", "Summary", 'S'},
  };
  for (const Case& c : cases) {
    auto* w = c.screen->findChild<QWidget*>(QLatin1String(c.object));
    ASSERT_NE(w, nullptr) << c.object;
    EXPECT_EQ(AccessibleText(w, QAccessible::Name), QLatin1String(c.name)) << c.object;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      const QKeySequence alt = c.alt ? QKeySequence(Qt::ALT | Qt::Key(c.alt)) : QKeySequence();
      EXPECT_EQ(QKeySequence::mnemonic(button->text()), alt) << c.object;
    }
  }
  // The unit shown is the box's value, not its name.
  EXPECT_EQ(AccessibleText(UnitList(), QAccessible::Value), UnitList()->currentText());
}

// A screen reader reads a label out when its name changes; each tally
// names the status line by its whole new text (the shown one may be cut).
TEST_F(ScreenReaderTest, EveryTallyNamesTheStatusLineByItsNewText) {
  Open();
  auto* status = tally_->findChild<QLabel*>(QStringLiteral("statusLine"));
  // Fir twice (the same text, read out again), an invalid key, Fir again.
  const Qt::Key keys[] = {Qt::Key_B, Qt::Key_B, Qt::Key_F2, Qt::Key_B};
  std::vector<QString> said;
  for (const Qt::Key key : keys) {
    QTest::keyClick(UnitList(), key);
    said.push_back(AccessibleText(status, QAccessible::Name));
    EXPECT_EQ(said.back(), status->accessibleDescription());
  }
  EXPECT_TRUE(said[0].startsWith(QStringLiteral("Fir")));
  EXPECT_NE(said[1], said[2]);
}

}  // namespace
}  // namespace woodtick
