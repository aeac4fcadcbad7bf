// Shared pieces of the editors' screen tests: a tally model opened on a
// scratch copy of the sample tally file with a scripted Ui, widget lookup,
// and answering a modal dialog once it is up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/tally_model.h"
#include "model/testing/fake_ui.h"
#include "platform/temp_dir.h"

namespace woodtick {

class EditorsTest : public testing::Test {
 protected:
  EditorsTest();
  ~EditorsTest() override;

  // Runs `body` inside the setup cycle (file held open, views attached);
  // afterwards the model has reopened the file in the tally pattern.
  void RunInSetup(const std::function<void(TallyModel&, DataStore&)>& body);

  // The text cells of a view by name, row by row (the first `columns`
  // columns, all when -1).
  std::vector<std::vector<std::string>> Rows(const std::string& view, int columns = -1);
  // (ColumnName, FieldType, Description, IsUsed, Order1, DefaultValue) of
  // each dictionary row of the table, in dictionary order.
  std::vector<std::vector<std::string>> DictionaryRows(const std::string& table);
  // The column names of a view by name.
  std::vector<std::string> Columns(const std::string& view);
  std::string Setting(const std::string& key);

  TempDir dir_;
  std::string path_;
  FakeUi ui_;
  std::unique_ptr<TallyModel> model_;
};

// The child of `parent` with that object name and type; fails the test when
// there is none.
template <class W>
W* Find(QWidget* parent, const char* name) {
  W* widget = parent->findChild<W*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Calls `act` with the modal dialog of type D as soon as it is up (from the
// event loop its exec() runs). Gives up after a few seconds.
template <class D>
void WhenModal(std::function<void(D*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
    D* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr && ++*tries < 300) return;
    timer->stop();
    timer->deleteLater();
    if (dialog != nullptr) {
      act(dialog);
    } else {
      ADD_FAILURE() << "no modal dialog came up";
    }
  });
  timer->start(10);
}

// Shows a dialog modelessly and makes it the active window, so that focus
// changes reach its controls.
void ShowActive(QWidget* dialog);

}  // namespace woodtick
