#include "editors/editors_test_support.h"

#include <QTest>

#include "store/data_store.h"

namespace woodtick {

EditorsTest::EditorsTest() {
  path_ = dir_.CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/sample.tal", "sample.tal");
  model_ = std::make_unique<TallyModel>(ui_);
  model_->SetStartupFile(path_);
  EXPECT_TRUE(model_->OpenTallyFile());
}

EditorsTest::~EditorsTest() { model_.reset(); }

void EditorsTest::RunInSetup(const std::function<void(TallyModel&, DataStore&)>& body) {
  bool ran = false;
  ui_.setup_screen = [&](TallyModel& model, DataStore& store, int) {
    ran = true;
    body(model, store);
  };
  model_->RunSetup();
  ui_.setup_screen = nullptr;
  EXPECT_TRUE(ran);
}

std::vector<std::vector<std::string>> EditorsTest::Rows(const std::string& view, int columns) {
  std::vector<std::vector<std::string>> rows;
  DataStore& store = *model_->store();
  const int slot = store.FindView(view);
  if (slot < 0) return rows;
  const mk::View v = store.View(slot);
  const int cols = columns < 0 ? v.NumProperties() : std::min(columns, v.NumProperties());
  for (int row = 0; row < v.GetSize(); ++row) {
    std::vector<std::string> cells(cols);
    for (int col = 0; col < cols; ++col) store.GetString(slot, row, col, &cells[col]);
    rows.push_back(cells);
  }
  return rows;
}

std::vector<std::vector<std::string>> EditorsTest::DictionaryRows(const std::string& table) {
  std::vector<std::vector<std::string>> rows;
  DataStore& store = *model_->store();
  const int slot = model_->dictionary_slot();
  const TallyModel::DictionaryColumns& c = model_->dictionary_columns();
  for (int row = 0; row < store.View(slot).GetSize(); ++row) {
    std::string name;
    store.GetString(slot, row, c.table_name, &name);
    if (name != table) continue;
    std::vector<std::string> cells;
    for (int col :
         {c.column_name, c.field_type, c.description, c.is_used, c.order1, c.default_value}) {
      store.GetString(slot, row, col, &cells.emplace_back());
    }
    rows.push_back(cells);
  }
  return rows;
}

std::vector<std::string> EditorsTest::Columns(const std::string& view) {
  std::vector<std::string> names;
  DataStore& store = *model_->store();
  const int slot = store.FindView(view);
  if (slot < 0) return names;
  const mk::View v = store.View(slot);
  for (int col = 0; col < v.NumProperties(); ++col) names.push_back(v.NthProperty(col).name);
  return names;
}

std::string EditorsTest::Setting(const std::string& key) {
  std::string value;
  for (const char* block : {"System", "Tally"}) {
    if (model_->ReadSetting(block, key, &value)) return value;
  }
  return value;
}

void ShowActive(QWidget* dialog) {
  dialog->show();
  dialog->activateWindow();
  QApplication::setActiveWindow(dialog);
  EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
}

}  // namespace woodtick
