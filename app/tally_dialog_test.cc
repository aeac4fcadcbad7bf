#include "app/tally_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/testing/app_fixture.h"
#include "app/testing/tally_screen_fixture.h"
#include "model/tally_model.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

// Runs `act` once, when the first screen named `name` is about to show.
class OnFirstShow : public QObject {
 public:
  OnFirstShow(const QString& name, std::function<void(QWidget*)> act) : name_(name), act_(act) {
    qApp->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (act_ && event->type() == QEvent::Show && watched->objectName() == name_) {
      std::exchange(act_, nullptr)(static_cast<QWidget*>(watched));
    }
    return false;
  }

 private:
  QString name_;
  std::function<void(QWidget*)> act_;
};

class TallyDialogTest : public TallyScreenTest {
 protected:
  void Open(int populations = 0) {
    const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
    MakeCountedOnly(path, 1);  // Fir
    if (populations > 0) AddPopulations(path, populations, 'D');
    main_ = OpenMain(path);
    ASSERT_TRUE(main_->model().is_open());
  }
  QString Status() { return Child<QLabel>(tally_.get(), QStringLiteral("statusLine"))->text(); }
  QLineEdit* NumberBox() { return Child<QLineEdit>(tally_.get(), QStringLiteral("numberBox")); }
  QString Caption(int i) { return tally_->population_button(i)->text(); }
  int VisibleButtons() {
    int shown = 0;
    for (int i = 1; i <= 20; ++i) shown += tally_->population_button(i)->isVisible() ? 1 : 0;
    return shown;
  }
};

TEST_F(TallyDialogTest, OpensWithWelcomeUnitsAndCaptionsWithCounts) {
  Open();
  Show();
  EXPECT_EQ(Status(), QStringLiteral("Welcome..."));
  ASSERT_EQ(UnitList()->count(), 3);
  EXPECT_EQ(UnitList()->itemText(2), QStringLiteral("003"));
  EXPECT_EQ(UnitList()->currentText(), QStringLiteral("001"));
  EXPECT_TRUE(UnitList()->hasFocus());
  EXPECT_EQ(Caption(1), QStringLiteral("Pine\n[A]\nC:3\nM:3"));
  EXPECT_EQ(Caption(3), QStringLiteral("Snag\n[C]\nC:8\nM:2"));
  EXPECT_EQ(VisibleButtons(), 3);
  EXPECT_FALSE(NumberBox()->isVisible());  // ShowNumBox is off in this file
  // The fixed screen is wider than its button area is high: one row of three.
  EXPECT_EQ(tally_->orientation(), Orientation::kWide);
  EXPECT_EQ(tally_->population_button(1)->y(), tally_->population_button(3)->y());
  EXPECT_LT(tally_->population_button(1)->x(), tally_->population_button(2)->x());
}

TEST_F(TallyDialogTest, AKeyTalliesAndOnlyThatPopulationsCaptionChanges) {
  Open();
  Show();
  const QString pine = Caption(1);
  QTest::keyClick(UnitList(), Qt::Key_B, Qt::ShiftModifier);
  EXPECT_TRUE(Status().startsWith(QStringLiteral("Fir")));
  EXPECT_EQ(main_->model().tallying().count_text(), "11");
  EXPECT_EQ(Caption(2),
            QStringLiteral("Fir\n[B]\nC:11\nM:") + ToQString(main_->model().tallying().hit_text()));
  EXPECT_EQ(Caption(1), pine);
  // Lower case reaches the tally as the same key.
  QTest::keyClick(UnitList(), Qt::Key_B);
  EXPECT_TRUE(Caption(2).contains(QStringLiteral("C:12")));
}

TEST_F(TallyDialogTest, AnAmpersandInALabelShowsAndIsNoShortcut) {
  const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
  EditTallyFile(path, [](DataStore& store) {
    store.SetString(store.OpenAView("Tally", false), 0, 1, "Salt&Pepper");
  });
  main_ = OpenMain(path);
  Show();
  EXPECT_TRUE(Caption(1).startsWith(QStringLiteral("Salt&&Pepper"))) << Caption(1).toStdString();
  EXPECT_TRUE(tally_->population_button(1)->shortcut().isEmpty());
}

TEST_F(TallyDialogTest, EnterEscapeAndArrowsAreTalliedAndTheScreenStaysOpen) {
  Open();
  Show();
  QTest::keyClick(UnitList(), Qt::Key_Return);
  EXPECT_TRUE(tally_->isVisible());
  EXPECT_EQ(Status(), QStringLiteral("Invalid Key: Return"));
  QTest::keyClick(UnitList(), Qt::Key_Escape);
  EXPECT_TRUE(tally_->isVisible());
  EXPECT_EQ(Status(), QStringLiteral("Invalid Key: Esc"));
  // The arrows do not move through the unit list: Down is key 40.
  QTest::keyClick(UnitList(), Qt::Key_Down);
  EXPECT_EQ(UnitList()->currentIndex(), 0);
  EXPECT_EQ(Status(), QStringLiteral("Invalid Key: Down"));
  EXPECT_EQ(main_->model().settings().cur_unit(), 1);
  // Tab does not move the focus either.
  QTest::keyClick(UnitList(), Qt::Key_Tab);
  EXPECT_TRUE(UnitList()->hasFocus());
  // Function keys are invalid keys too; keypad digits are digits, and the
  // keypad's 1 no longer reaches the population with key A.
  QTest::keyClick(UnitList(), Qt::Key_F1);
  EXPECT_EQ(Status(), QStringLiteral("Invalid Key: F1"));
  QTest::keyClick(UnitList(), Qt::Key_1, Qt::KeypadModifier);
  EXPECT_EQ(Status(), QStringLiteral("Invalid Key: Keypad 1"));
  // An invalid key leaves every count alone.
  EXPECT_EQ(Caption(1), QStringLiteral("Pine\n[A]\nC:3\nM:3"));
}

TEST_F(TallyDialogTest, EveryInvalidKeyIsNamedInTheWarningColours) {
  Open();
  Show();
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
  } cases[] = {
      {Qt::Key_F5, Qt::NoModifier, "F5"},
      {Qt::Key_F12, Qt::NoModifier, "F12"},
      {Qt::Key_Space, Qt::NoModifier, "Space"},
      {Qt::Key_Minus, Qt::NoModifier, "-"},
      {Qt::Key_Plus, Qt::KeypadModifier, "Keypad +"},
      {Qt::Key_Escape, Qt::NoModifier, "Esc"},
      {Qt::Key_Return, Qt::NoModifier, "Return"},
      {Qt::Key_Up, Qt::NoModifier, "Up"},
      {Qt::Key_Z, Qt::NoModifier, "Z"},
      {Qt::Key_Shift, Qt::ShiftModifier, "Shift"},
  };
  QLabel* status = tally_->status_line();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTest::keyClick(UnitList(), Qt::Key_B);  // a good key: normal colours
    ASSERT_FALSE(status->autoFillBackground());
    QTest::keyClick(UnitList(), c.key, c.modifiers);
    EXPECT_EQ(Status(), QStringLiteral("Invalid Key: ") + QLatin1String(c.name));
    EXPECT_TRUE(status->autoFillBackground());
    EXPECT_EQ(status->palette().color(QPalette::Window),
              tally_->palette().color(QPalette::WindowText));
  }
  EXPECT_EQ(main_->model().tallying().count_text(), "20");  // Fir: 10 and the ten good keys
}

TEST_F(TallyDialogTest, KeysTypedAheadOfARecordEditorAreTalliesInTheirOrder) {
  Open();  // A is Pine, a HIT with a record each time; B is Fir, counted only
  Show();
  // While the first editor opens, two more keys arrive before it has
  // appeared: one still at the tally screen, one already at the editor.
  OnFirstShow opening(QStringLiteral("editDataDialog"), [](QWidget* editor) {
    QTest::keyClick(editor->parentWidget()->windowHandle(), Qt::Key_B);
    QTest::keyClick(editor->focusWidget() ? editor->focusWidget() : editor, Qt::Key_B);
  });
  QStringList typed;  // what each editor's field held when it appeared
  QString status, pine;
  WhenModal(QStringLiteral("editDataDialog"), [&](QWidget* editor) {
    // The HIT shows before its editor.
    status = Status();
    pine = Caption(1);
    auto* field = qobject_cast<QLineEdit*>(editor->focusWidget());
    ASSERT_NE(field, nullptr);
    typed << field->text();
    // Once it has been seen, the editor takes the keys.
    QTRY_VERIFY(tally_->record_editor_takes_keys());
    QTest::keyClicks(field, QStringLiteral("21"));
    typed << field->text();
    Child<QPushButton>(editor, QStringLiteral("ok"))->click();
    WhenModal(QStringLiteral("editDataDialog"), [&](QWidget* second) {
      typed << qobject_cast<QLineEdit*>(second->focusWidget())->text();
      Child<QPushButton>(second, QStringLiteral("ok"))->click();
    });
  });
  // "b a b a" in a burst: the first A opens the editor with the rest on the way.
  for (Qt::Key key : {Qt::Key_B, Qt::Key_A, Qt::Key_B, Qt::Key_A}) {
    QCoreApplication::postEvent(UnitList(), new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
  }
  QTRY_COMPARE_WITH_TIMEOUT(typed.size(), 3, 10000);
  EXPECT_EQ(typed, QStringList({QString(), QStringLiteral("21"), QString()}));
  EXPECT_EQ(status, QStringLiteral("Pine HIT!"));
  EXPECT_EQ(pine, QStringLiteral("Pine\n[A]\nC:4\nM:4"));
  std::string keys;
  for (const BufferEntry& entry : main_->model().untally().Entries()) keys += entry.key;
  EXPECT_EQ(keys.substr(keys.size() - 6), "BABABB");
  EXPECT_EQ(Caption(1), QStringLiteral("Pine\n[A]\nC:5\nM:5"));
  EXPECT_TRUE(Caption(2).contains(QStringLiteral("\nC:14\n"))) << Caption(2).toStdString();
  // The next key is the tally screen's again.
  QTRY_VERIFY(UnitList()->hasFocus());
}

TEST_F(TallyDialogTest, TheNumberBoxTakesTypingSetsTheHitNumberAndEnterEndsTheScreen) {
  Open();
  main_->model().settings().SetShowNumBox(true);
  Show();
  ASSERT_TRUE(NumberBox()->isVisible());
  // The largest Num of unit 001 in Trees.
  EXPECT_EQ(NumberBox()->text(), QStringLiteral("4"));
  NumberBox()->setFocus();
  EXPECT_TRUE(tally_->editing_number());
  NumberBox()->selectAll();
  QTest::keyClicks(NumberBox(), QStringLiteral("123"));
  EXPECT_EQ(NumberBox()->text(), QStringLiteral("123"));
  EXPECT_EQ(Status(), QStringLiteral("Welcome..."));
  UnitList()->setFocus();
  EXPECT_FALSE(tally_->editing_number());
  EXPECT_EQ(main_->model().tallying().hit_number(), 123);

  NumberBox()->setFocus();
  QTest::keyClick(NumberBox(), Qt::Key_Return);
  EXPECT_FALSE(tally_->isVisible());
  EXPECT_EQ(tally_->result(), QDialog::Accepted);
}

TEST_F(TallyDialogTest, EscapeInTheNumberBoxEndsTheScreen) {
  Open();
  main_->model().settings().SetShowNumBox(true);
  Show();
  NumberBox()->setFocus();
  QTest::keyClick(NumberBox(), Qt::Key_Escape);
  EXPECT_FALSE(tally_->isVisible());
}

TEST_F(TallyDialogTest, AClickedHitOpensTheRecordEditorFilledFromTheHit) {
  Open();
  main_->model().settings().SetShowNumBox(true);
  Show();
  QString unit, num, label;
  WhenModal(QStringLiteral("editDataDialog"), [&](QWidget* editor) {
    unit = Child<QLineEdit>(editor, QStringLiteral("field1"))->text();
    num = Child<QLineEdit>(editor, QStringLiteral("field2"))->text();
    label = Child<QLineEdit>(editor, QStringLiteral("field3"))->text();
    Child<QPushButton>(editor, QStringLiteral("ok"))->click();
  });
  QTest::mouseClick(tally_->population_button(1), Qt::LeftButton);
  EXPECT_EQ(unit, QStringLiteral("001"));
  EXPECT_EQ(num, QStringLiteral("5"));
  EXPECT_EQ(label, QStringLiteral("Pine"));
  EXPECT_EQ(Status(), QStringLiteral("Pine HIT!"));
  EXPECT_EQ(Caption(1), QStringLiteral("Pine\n[A]\nC:4\nM:4"));
  EXPECT_EQ(NumberBox()->text(), QStringLiteral("5"));
}

TEST_F(TallyDialogTest, AUnitChangeRedrawsEveryCaptionAndLeavesNoBusyCursor) {
  Open();
  Show();
  emit UnitList()->activated(1);
  EXPECT_EQ(main_->model().settings().cur_unit(), 2);
  EXPECT_EQ(Caption(1), QStringLiteral("Pine\n[A]\nC:4\nM:4"));
  EXPECT_EQ(Caption(2), QStringLiteral("Fir\n[B]\nC:6\nM:1"));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  emit UnitList()->activated(1);  // already current
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(TallyDialogTest, TwelvePopulationsInATallWindowAllShowInFourRowsOfThree) {
  Open(12);
  Show();
  tally_->setFixedSize(200, 520);
  tally_->LayoutButtons();
  EXPECT_EQ(tally_->orientation(), Orientation::kTall);
  EXPECT_EQ(VisibleButtons(), 12);
  const QRect area = tally_->ButtonArea();
  std::set<std::pair<int, int>> corners;
  for (int i = 1; i <= 12; ++i) {
    const QRect rect = tally_->population_button(i)->geometry();
    EXPECT_TRUE(area.contains(rect)) << i;
    corners.insert({rect.x(), rect.y()});
  }
  EXPECT_EQ(corners.size(), 12u);
  // Filled by columns: button 5 heads the second column.
  EXPECT_EQ(tally_->population_button(5)->y(), area.top());
  EXPECT_GT(tally_->population_button(5)->x(), tally_->population_button(4)->x());
}

TEST_F(TallyDialogTest, ElevenPopulationsInATallWindowAllShow) {
  Open(11);
  Show();
  tally_->setFixedSize(200, 520);
  tally_->LayoutButtons();
  EXPECT_EQ(VisibleButtons(), 11);
}

TEST_F(TallyDialogTest, MoreThanTwentyPopulationsShowNoButtonsButKeysStillTally) {
  Open(21);
  Show();
  EXPECT_EQ(VisibleButtons(), 0);
  QTest::keyClick(UnitList(), Qt::Key_D);
  EXPECT_EQ(Status(), QStringLiteral("P4"));
  EXPECT_EQ(main_->model().tallying().count_text(), "1");
}

}  // namespace
}  // namespace woodtick
