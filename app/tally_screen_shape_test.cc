// The tally screen on today's hardware: the grid following a resized
// window, captions and status fitted to their room, the HIT flash, and the
// remembered window size.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <set>

#include "app/caption_fit.h"
#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/tally_dialog.h"
#include "app/testing/app_fixture.h"
#include "app/testing/tally_screen_fixture.h"
#include "model/tally_model.h"
#include "store/data_store.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

class TallyScreenShapeTest : public TallyScreenTest {
 protected:
  // The sample file with `populations` rows, all counted only.
  void Open(int populations) {
    const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
    MakeCountedOnly(path, 0);
    MakeCountedOnly(path, 1);
    MakeCountedOnly(path, 2);
    AddPopulations(path, populations, 'D');
    EditTallyFile(path, [&](DataStore& store) {
      mk::View tally = store.View(store.OpenAView("Tally", false));
      if (tally.GetSize() > populations) tally.RemoveAt(populations, tally.GetSize() - populations);
    });
    if (edit_) EditTallyFile(path, edit_);
    main_ = OpenMain(path);
    ASSERT_TRUE(main_->model().is_open());
  }
  std::vector<QPushButton*> Shown() {
    std::vector<QPushButton*> shown;
    for (int i = 1; i <= 20; ++i) {
      if (tally_->population_button(i)->isVisible()) shown.push_back(tally_->population_button(i));
    }
    return shown;
  }
  // Every shown caption's lines lie within its button, in its own font.
  void ExpectCaptionsFit() {
    for (QPushButton* button : Shown()) {
      const QFontMetrics metrics(button->font());
      const QStringList lines = button->text().split(QLatin1Char('\n'));
      for (const QString& line : lines) {
        EXPECT_LE(metrics.horizontalAdvance(line), button->width())
            << button->objectName().toStdString() << " " << line.toStdString();
      }
      EXPECT_LE(lines.size() * metrics.height(), button->height());
      EXPECT_GE(button->font().pointSizeF(), kLegibleFloorPoints);
    }
  }

  std::function<void(DataStore&)> edit_;
};

TEST_F(TallyScreenShapeTest, TheGridFollowsTheWindowsShapeForEveryCountOfPopulations) {
  for (int n : {1, 5, 10, 12, 20}) {
    SCOPED_TRACE(n);
    Open(n);
    Show();
    const QSize opened = tally_->size();
    // No key resizes it, not even those a window manager might take.
    for (Qt::Key key : {Qt::Key_Plus, Qt::Key_F11, Qt::Key_Up}) QTest::keyClick(UnitList(), key);
    EXPECT_EQ(tally_->size(), opened);
    for (QSize size : {QSize(900, 420), QSize(420, 900), QSize(1000, 700)}) {
      tally_->resize(size);
      QCoreApplication::processEvents();
      ASSERT_EQ(tally_->size(), size);
      const QRect area = tally_->ButtonArea();
      const bool wide = area.width() >= area.height();
      EXPECT_EQ(tally_->orientation(), wide ? Orientation::kWide : Orientation::kTall);
      const std::vector<QPushButton*> shown = Shown();
      ASSERT_EQ(static_cast<int>(shown.size()), n);
      std::set<int> xs, ys;
      for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(area.contains(shown[i]->geometry()));
        for (size_t j = 0; j < i; ++j) {
          EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()));
        }
        xs.insert(shown[i]->x());
        ys.insert(shown[i]->y());
      }
      // Wide windows get more columns than rows, tall ones more rows.
      if (n != 1 && n != 4 && n != 9) {
        EXPECT_EQ(xs.size() > ys.size(), wide);
      }
      // The buttons share the area: the grid fills at least 95% of it.
      const int64_t cell = int64_t(shown[0]->width()) * shown[0]->height();
      EXPECT_GE(cell * int64_t(xs.size()) * int64_t(ys.size()),
                int64_t(area.width()) * area.height() * 95 / 100);
      ExpectCaptionsFit();
    }
    Close();
    main_.reset();
  }
}

TEST_F(TallyScreenShapeTest, RemembersItsSizeAndMaximizedStateForTheNextShowing) {
  Open(5);
  Show();
  const QSize common = tally_->size();
  tally_->resize(common + QSize(300, 200));
  QCoreApplication::processEvents();
  Close();
  Show();
  EXPECT_EQ(tally_->size(), common + QSize(300, 200));
  tally_->showMaximized();
  QCoreApplication::processEvents();
  Close();
  Show();
  EXPECT_TRUE(tally_->windowState() & Qt::WindowMaximized);
  Close();
  TallyDialog::ForgetWindowSize();
  Show();
  EXPECT_EQ(tally_->size(), common);
}

TEST_F(TallyScreenShapeTest, LongLabelsFitTheirButtonsKeyAndCountsWhole) {
  edit_ = [](DataStore& store) {
    const int slot = store.OpenAView("Tally", false);
    store.SetString(slot, 0, 1, "Quaking aspen of a population with a very long name");
    store.SetString(slot, 1, 1, "Douglas-fir");
    store.SetString(slot, 2, 1, "Pseudotsugamenziesiiglauca");
  };
  Open(20);
  Show();
  ExpectCaptionsFit();
  // The long word is elided in the middle, never cut at both sides.
  const QString third = tally_->population_button(3)->text();
  EXPECT_TRUE(third.startsWith(QStringLiteral("Ps"))) << third.toStdString();
  EXPECT_TRUE(third.contains(QChar(0x2026)));
  EXPECT_TRUE(third.endsWith(QStringLiteral("\n[C]\nC:8\nM:2")));
  tally_->resize(1280, 800);
  QCoreApplication::processEvents();
  ExpectCaptionsFit();
  // With room enough the whole label shows, word-wrapped.
  EXPECT_TRUE(
      tally_->population_button(2)->text().startsWith(QStringLiteral("Douglas-fir\n[B]\nC:")));
  EXPECT_GT(tally_->population_button(1)->font().pointSizeF(), tally_->font().pointSizeF());

  // The status line never loses the count, however long the label.
  tally_->resize(tally_->minimumSize());
  QCoreApplication::processEvents();
  main_->model().settings().SetShowCountsOnButtons(false);
  for (int i = 0; i < 24; ++i) QTest::keyClick(UnitList(), Qt::Key_A);
  QLabel* status = tally_->status_line();
  const QString count = QStringLiteral(": ") + ToQString(main_->model().tallying().count_text());
  EXPECT_TRUE(status->text().endsWith(count)) << status->text().toStdString();
  EXPECT_LE(QFontMetrics(status->font()).horizontalAdvance(status->text()), status->width());
  EXPECT_EQ(status->accessibleDescription(),
            QStringLiteral("Quaking aspen of a population with a very long name") + count);
  EXPECT_EQ(tally_->population_button(1)->accessibleName(),
            QStringLiteral("Quaking aspen of a population with a very long name, key A"));
}

TEST_F(TallyScreenShapeTest, AHitFlashesItsButtonBrieflyWithoutHoldingUpTheNextKey) {
  edit_ = [](DataStore& store) {
    store.SetString(store.OpenAView("Tally", false), 3, 3, "C");  // P4, key D: every tally a HIT
  };
  Open(5);
  Show();
  QPushButton* hit = tally_->population_button(4);
  const QColor normal = hit->palette().color(QPalette::Button);
  QTest::keyClick(UnitList(), Qt::Key_D);
  EXPECT_EQ(tally_->status_line()->text(), QStringLiteral("P4 HIT!"));
  EXPECT_EQ(tally_->hit_flash().flashing(), hit);
  EXPECT_EQ(hit->palette().color(QPalette::Button), hit->palette().color(QPalette::Highlight));
  EXPECT_NE(hit->palette().color(QPalette::Button), normal);
  // The next key tallies at once, while the flash still shows.
  QTest::keyClick(UnitList(), Qt::Key_E);
  EXPECT_EQ(tally_->status_line()->text(), QStringLiteral("P5"));
  EXPECT_EQ(main_->model().tallying().count_text(), "1");
  EXPECT_EQ(tally_->hit_flash().flashing(), hit);
  QTRY_COMPARE_WITH_TIMEOUT(tally_->hit_flash().flashing(), nullptr, 2000);
  EXPECT_EQ(hit->palette().color(QPalette::Button), normal);

  // An invalid key: the status line in the warning colours, until the next
  // good key.
  QLabel* status = tally_->status_line();
  QTest::keyClick(UnitList(), Qt::Key_Z);
  EXPECT_TRUE(status->autoFillBackground());
  EXPECT_EQ(status->palette().color(QPalette::Window),
            tally_->palette().color(QPalette::WindowText));
  QTest::keyClick(UnitList(), Qt::Key_E);
  EXPECT_FALSE(status->autoFillBackground());
}

TEST(CaptionFitTest, ShrinksBeforeItElidesAndElidesOnlyTheLabel) {
  QFont font;
  font.setPointSizeF(12);
  const QStringList fixed = {QStringLiteral("[A]"), QStringLiteral("C:12345"),
                             QStringLiteral("M:678")};
  const FittedText roomy = FitCaption(QStringLiteral("Pine"), fixed, font, QSize(400, 400));
  EXPECT_EQ(roomy.text, QStringLiteral("Pine\n[A]\nC:12345\nM:678"));
  EXPECT_EQ(roomy.font.pointSizeF(), 12);
  const int narrow = QFontMetrics(roomy.font).horizontalAdvance(QStringLiteral("C:12345")) - 1;
  const FittedText shrunk = FitCaption(QStringLiteral("Pine"), fixed, font, QSize(narrow, 400));
  EXPECT_LT(shrunk.font.pointSizeF(), 12);
  EXPECT_EQ(shrunk.text, roomy.text);
  const FittedText elided =
      FitCaption(QStringLiteral("Abcdefghijklmnopqrstuvwxyz"), fixed, font, QSize(narrow, 400));
  EXPECT_EQ(elided.font.pointSizeF(), kLegibleFloorPoints);
  EXPECT_TRUE(elided.text.startsWith(QLatin1Char('A')));
  EXPECT_TRUE(elided.text.contains(QStringLiteral("z\n[A]\nC:12345\nM:678")));

  const FittedText line = FitLine(QStringLiteral("A very long population label"),
                                  QStringLiteral(": 24 HIT!8"), font, 90);
  EXPECT_TRUE(line.text.endsWith(QStringLiteral(": 24 HIT!8")));
  EXPECT_LE(QFontMetrics(line.font).horizontalAdvance(line.text), 90);
}

}  // namespace
}  // namespace woodtick
