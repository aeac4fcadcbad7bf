#include "app/main_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/about_dialog.h"
#include "app/tally_app.h"
#include "app/testing/app_fixture.h"

namespace woodtick {
namespace {

class MainDialogTest : public AppTest {
 protected:
  // No file and no banner.
  static MainDialog::Options Quiet() {
    MainDialog::Options options;
    options.show_banner = false;
    return options;
  }
  QPushButton* Button(MainDialog* main, const char* name) {
    return Child<QPushButton>(main, QLatin1String(name));
  }
  // Which of the main screen's buttons are enabled, in screen order.
  std::string Enabled(MainDialog* main) {
    std::string on;
    for (const char* name :
         {"selectFileButton", "setupButton", "editDataButton", "tallyButton", "utilitiesButton",
          "aboutButton", "untallyButton", "helpButton", "exitButton"}) {
      on += Button(main, name)->isEnabled() ? '1' : '0';
    }
    return on;
  }
};

TEST_F(MainDialogTest, TheBannerComesFirstThenTheCommandLineFileIsOpen) {
  const QString path = CopyTallyFile(ExampleTallyFile());
  MainDialog::Options options;
  options.command_line_file = QFile::encodeName(path).toStdString();
  MainDialog main(options);
  bool file_open_during_banner = true;
  QString banner;
  WhenModal(QStringLiteral("aboutDialog"), [&](QWidget* about) {
    file_open_during_banner = main.model().is_open();
    banner = Child<QLabel>(about, QStringLiteral("versionBanner"))->text();
    Child<QPushButton>(about, QStringLiteral("okButton"))->click();
  });
  main.Initialise();
  EXPECT_FALSE(file_open_during_banner);
  EXPECT_EQ(banner, QStringLiteral("Woodtick\nVersion 2005.05.03"));
  EXPECT_EQ(Child<QLineEdit>(&main, QStringLiteral("fileNameBox"))->text(),
            QStringLiteral("plot.tal"));
  EXPECT_EQ(Enabled(&main), "011111001");
  EXPECT_TRUE(Button(&main, "exitButton")->isDefault());
  EXPECT_TRUE(Child<QLineEdit>(&main, QStringLiteral("keyBox"))->isHidden());
}

TEST_F(MainDialogTest, WithoutAFileOnlySelectAboutAndExitWork) {
  MainDialog main(Quiet());
  main.Initialise();
  EXPECT_EQ(Enabled(&main), "100001001");
}

TEST_F(MainDialogTest, TheKeyBoxRunsATallyAndUntallyStaysOnAfterAnInvalidKey) {
  const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
  MakeCountedOnly(path, 1);  // Fir
  auto main = OpenMain(path);
  Child<QLineEdit>(main.get(), QStringLiteral("keyBox"))->setText(QStringLiteral("?"));
  EXPECT_EQ(main->model().tallying().status_text(), "Invalid Key: ?");
  EXPECT_TRUE(Button(main.get(), "untallyButton")->isEnabled());
  main->WriteKeyBox("b");
  EXPECT_EQ(main->model().tallying().status_text(), "Fir");
  EXPECT_EQ(main->model().tallying().count_text(), "11");
}

TEST_F(MainDialogTest, EscapeEndsTheRunAndTheLogGetsTallyFileClosed) {
  const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
  auto main = OpenMain(path);
  QTimer::singleShot(0, main.get(), [&] { QTest::keyClick(main.get(), Qt::Key_Escape); });
  main->exec();
  EXPECT_FALSE(main->isVisible());
  main.reset();
  const auto log = ReadColumn(path, "MessageLog", "Msg");
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "Tally File Opened");
  EXPECT_EQ(log.back(), "Tally File Closed");
}

TEST_F(MainDialogTest, EndingWithNoFileOpenWritesNothing) {
  {
    MainDialog main(Quiet());
    main.Initialise();
    QTimer::singleShot(0, &main, [&] { Button(&main, "exitButton")->click(); });
    main.exec();
  }
  EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(MainDialogTest, TheAboutBoxShowsTheSameBoldBannerEveryTime) {
  MainDialog main(Quiet());
  for (int showing = 0; showing < 2; ++showing) {
    QFont font;
    QString text;
    WhenModal(QStringLiteral("aboutDialog"), [&](QWidget* about) {
      auto* banner = Child<QLabel>(about, QStringLiteral("versionBanner"));
      font = banner->font();
      text = banner->text();
      QTest::keyClick(about, Qt::Key_Return);
    });
    Button(&main, "aboutButton")->click();
    EXPECT_EQ(text, QStringLiteral("Woodtick\nVersion 2005.05.03"));
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pixelSize(), 16);
  }
}

TEST_F(MainDialogTest, TheContextMenuOffersAboutWoodtick) {
  MainDialog main(Quiet());
  main.show();
  bool about_shown = false;
  WhenModal(QStringLiteral("aboutDialog"), [&](QWidget* about) {
    about_shown = true;
    qobject_cast<QDialog*>(about)->accept();
  });
  QString item;
  QTimer::singleShot(20, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    item = menu->actions()[0]->text();
    menu->actions()[0]->trigger();
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), main.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&main, &event);
  EXPECT_EQ(item, QStringLiteral("&About Woodtick..."));
  EXPECT_TRUE(about_shown);
}

TEST_F(MainDialogTest, ExitTellsAFailedLastSaveWhileTheScreenIsStillUp) {
  const QString path = CopyTallyFile(ExampleTallyFile());
  auto main = OpenMain(path);
  ASSERT_TRUE(main->model().is_open());
  ASSERT_TRUE(QFile::remove(path));  // the file goes while the program has it open
  // Every box is answered Cancel ("not now", then "close without saving").
  QStringList titles;
  bool shown_during_boxes = true;
  auto* answerer = new QTimer(main.get());
  QObject::connect(answerer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    titles << box->windowTitle();
    shown_during_boxes = shown_during_boxes && main->isVisible();
    box->button(QMessageBox::Cancel) ? box->button(QMessageBox::Cancel)->click() : box->reject();
  });
  answerer->start(5);
  QTimer::singleShot(0, main.get(), [&] { Button(main.get(), "exitButton")->click(); });
  main->exec();
  EXPECT_TRUE(titles.contains(QStringLiteral("Tally File Moved")))
      << titles.join(", ").toStdString();
  EXPECT_EQ(titles.count(QStringLiteral("Tally File Moved")), 1);
  EXPECT_EQ(titles.last(), QStringLiteral("Data Not Saved"));
  EXPECT_TRUE(shown_during_boxes);
  EXPECT_FALSE(QFile::exists(path)) << "the close made a new file without its lock";
}

TEST(TallyAppTest, DashDashEndsTheOptionsAndWhatIsNotUsedIsTold) {
  TallyApp::CommandLine line = TallyApp::ParseCommandLine({"woodtick", "-dash.tal"});
  EXPECT_EQ(line.file, "");
  ASSERT_EQ(line.problems.size(), 1u);
  EXPECT_THAT(line.problems[0], ::testing::HasSubstr("no option -dash.tal"));
  EXPECT_THAT(line.problems[0], ::testing::HasSubstr("woodtick -- -dash.tal"));

  line = TallyApp::ParseCommandLine({"woodtick", "--", "-dash.tal"});
  EXPECT_EQ(line.file, "-dash.tal");
  EXPECT_TRUE(line.problems.empty());

  line = TallyApp::ParseCommandLine({"woodtick", "-x", "plot.tal", "other.tal", ""});
  EXPECT_EQ(line.file, "plot.tal");
  ASSERT_EQ(line.problems.size(), 3u);
  EXPECT_THAT(line.problems[1], ::testing::HasSubstr("other.tal has not been opened"));
  EXPECT_THAT(line.problems[2], ::testing::HasSubstr("empty file name"));

  // A name in Latin-1 bytes keeps its bytes (and is shown decoded when told).
  EXPECT_EQ(TallyApp::CommandLineFile({"woodtick", "caf\xE9.tal"}), "caf\xE9.tal");
  line = TallyApp::ParseCommandLine({"woodtick", "a.tal", "caf\xC3\xA9.tal"});
  EXPECT_THAT(line.problems[0], ::testing::HasSubstr("caf\xE9.tal has not been opened"));
}

TEST_F(MainDialogTest, CommandLineProblemsAreToldAfterTheBanner) {
  MainDialog::Options options = Quiet();
  options.command_line_problems = {"Woodtick has no option -q; it has been ignored."};
  MainDialog main(options);
  std::vector<SeenMessage> seen;
  AnswerMessages({QStringLiteral("OK")}, &seen);
  main.Initialise();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, QStringLiteral("Woodtick"));
  EXPECT_EQ(seen[0].text, QStringLiteral("Woodtick has no option -q; it has been ignored."));
}

TEST(TallyAppTest, TheFileIsTheFirstParameterThatIsNotASwitch) {
  EXPECT_EQ(TallyApp::CommandLineFile({"woodtick"}), "");
  EXPECT_EQ(TallyApp::CommandLineFile({"woodtick", "-x", "plot.tal", "other.tal"}), "plot.tal");
  // Here a leading "/" starts a path.
  EXPECT_EQ(TallyApp::CommandLineFile({"woodtick", "/data/stand1.tal"}), "/data/stand1.tal");
}

}  // namespace
}  // namespace woodtick
