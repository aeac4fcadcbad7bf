// Helpers for the GUI tests: a private copy of a tally file in a temporary
// folder, a main screen over it, and answering modal screens that open
// inside a call (QTimer polling for the screen by its object name).
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace woodtick {

class DataStore;

class MainDialog;

// The example tally file when it exists, else the reference sample.
QString ExampleTallyFile();

// Acts on the next modal screen named `object_name` as soon as it is the
// active modal widget (or, over the tally screen, the active window);
// `act` should close it. Returns at once.
void WhenModal(const QString& object_name, std::function<void(QWidget*)> act);

// Clicks the message box's `button` ("OK", "&Yes", "&No" ...) and records
// its title and text into *seen when given.
struct SeenMessage {
  QString title;
  QString text;
  int icon = 0;
};
void AnswerMessage(const QString& button_text, SeenMessage* seen = nullptr);

// Opens the file with attached views, lets `change` edit it, commits.
void EditTallyFile(const QString& path, const std::function<void(DataStore&)>& change);
// One column of a view of the file, every row, as text.
std::vector<std::string> ReadColumn(const QString& path, const std::string& view,
                                    const std::string& column);
// Makes Tally row `row` counted only (never a HIT), so tests know what a
// tally of it does.
void MakeCountedOnly(const QString& path, int row);
// Appends counted-only populations P1, P2 ... with keys from `first_key`
// until the Tally view has `total` rows.
void AddPopulations(const QString& path, int total, char first_key);

// Answers the next message boxes in turn, one button text each; records
// what they said.
void AnswerMessages(std::vector<QString> buttons, std::vector<SeenMessage>* seen);

// The Value of the Globals row with `key`, read from the file.
std::string ReadSetting(const QString& path, const std::string& key);

// Finds a child by object name; fails the test when missing.
template <typename T>
T* Child(QWidget* parent, const QString& name);

class AppTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Copies `source` into the temporary folder as `name`; the full path.
  QString CopyTallyFile(const QString& source, const QString& name = QStringLiteral("plot.tal"));
  // A main screen (no banner) that has opened `path` as from the command line.
  std::unique_ptr<MainDialog> OpenMain(const QString& path);

  QTemporaryDir dir_;
  QString old_cwd_;
};

}  // namespace woodtick

#include "app/testing/app_fixture_inl.h"
