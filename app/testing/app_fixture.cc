#include "app/testing/app_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include "app/main_dialog.h"
#include "store/data_store.h"

namespace woodtick {

QString ExampleTallyFile() {
  const QString example = QStringLiteral(WOODTICK_TESTDATA "/../examples/forest.tal");
  if (QFile::exists(example)) return example;
  return QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal");
}

void WhenModal(const QString& object_name, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, object_name, act, waited] {
    // A screen that never comes must not be answered by a later test.
    if (++*waited > 2000) {
      ADD_FAILURE() << "no modal screen " << object_name.toStdString();
      timer->stop();
      timer->deleteLater();
      return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    // A HIT's record editor over the tally screen is active without being
    // modal.
    if (!modal || modal->objectName() != object_name) modal = QApplication::activeWindow();
    if (!modal || modal->objectName() != object_name || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

void AnswerMessage(const QString& button_text, SeenMessage* seen) {
  WhenModal(QStringLiteral("messageBox"), [button_text, seen](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (seen) {
      seen->title = box->windowTitle();
      seen->text = box->text();
      seen->icon = box->icon();
    }
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == button_text) {
        button->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << button_text.toStdString();
    box->reject();
  });
}

void AnswerMessages(std::vector<QString> buttons, std::vector<SeenMessage>* seen) {
  if (buttons.empty()) return;
  const QString first = buttons.front();
  buttons.erase(buttons.begin());
  auto seen_one = std::make_shared<SeenMessage>();
  WhenModal(QStringLiteral("messageBox"), [first, buttons, seen, seen_one](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (seen) seen->push_back({box->windowTitle(), box->text(), box->icon()});
    // The next box can only come after this one is answered.
    AnswerMessages(buttons, seen);
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == first) {
        button->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << first.toStdString();
    box->reject();
  });
}

std::string ReadSetting(const QString& path, const std::string& key) {
  const auto keys = ReadColumn(path, "Globals", "Key");
  const auto values = ReadColumn(path, "Globals", "Value");
  for (size_t i = 0; i < keys.size() && i < values.size(); ++i) {
    if (keys[i] == key) return values[i];
  }
  return "(missing)";
}

void EditTallyFile(const QString& path, const std::function<void(DataStore&)>& change) {
  DataStore store;
  ASSERT_EQ(store.Open(QFile::encodeName(path).toStdString(), false), kStoreOk);
  change(store);
  ASSERT_EQ(store.Commit(), kStoreOk);
  store.Close(false);
}

std::vector<std::string> ReadColumn(const QString& path, const std::string& view,
                                    const std::string& column) {
  std::vector<std::string> values;
  DataStore store;
  if (store.Open(QFile::encodeName(path).toStdString(), false) != kStoreOk) return values;
  const int slot = store.OpenAView(view, false);
  if (slot < 0) return values;
  const mk::View rows = store.View(slot);
  const int col = rows.FindPropIndexByName(column);
  for (int row = 0; col >= 0 && row < rows.GetSize(); ++row) {
    std::string value;
    store.GetString(slot, row, col, &value);
    values.push_back(value);
  }
  store.Close(false);
  return values;
}

void MakeCountedOnly(const QString& path, int row) {
  EditTallyFile(path, [&](DataStore& store) {
    store.SetString(store.OpenAView("Tally", false), row, 3, " ");
  });
}

void AddPopulations(const QString& path, int total, char first_key) {
  EditTallyFile(path, [&](DataStore& store) {
    const int slot = store.OpenAView("Tally", false);
    mk::View tally = store.View(slot);
    for (char key = first_key; tally.GetSize() < total; ++key) {
      const int row = tally.GetSize();
      tally.InsertEmptyRowsAt(row);
      store.SetString(slot, row, 0, std::string(1, key));
      store.SetString(slot, row, 1, "P" + std::to_string(row + 1));
      store.SetString(slot, row, 3, " ");  // counted only
      store.SetString(slot, row, 4, "1");
    }
  });
}

void AppTest::SetUp() {
  ASSERT_TRUE(dir_.isValid());
  // Window sizes the screens remember stay in this test's folder.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
  old_cwd_ = QDir::currentPath();
  QDir::setCurrent(dir_.path());
}

void AppTest::TearDown() { QDir::setCurrent(old_cwd_); }

QString AppTest::CopyTallyFile(const QString& source, const QString& name) {
  const QString target = dir_.filePath(name);
  QFile::remove(target);
  EXPECT_TRUE(QFile::copy(source, target));
  QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
  return target;
}

std::unique_ptr<MainDialog> AppTest::OpenMain(const QString& path) {
  MainDialog::Options options;
  options.command_line_file = QFile::encodeName(path).toStdString();
  options.show_banner = false;
  auto main = std::make_unique<MainDialog>(options);
  main->Initialise();
  return main;
}

}  // namespace woodtick
