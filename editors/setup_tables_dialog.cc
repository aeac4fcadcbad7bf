#include "editors/setup_tables_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <optional>

#include "editors/table_definitions.h"
#include "editors/table_list_combo.h"
#include "model/tally_model.h"
#include "model/ui.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

constexpr char kOrderColumn[] = "Order1";

}  // namespace

SetupTablesDialog::SetupTablesDialog(TallyModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName("setupTablesDialog");
  SetUpDialog(this, "Setup Data Tables");

  AddLabel(this, "existingTablesLabel", "Existing Tables:", Qt::AlignRight, 6, 12, 53, 8);
  table_list_ = CreateTableCombo(this, "tableList", 62, 10, 88, 53);

  connect(AddButton(this, "deleteTable", "&Delete this Table", 46, 42, 69, 14),
          &QPushButton::clicked, this, &SetupTablesDialog::DeleteTable);
  connect(AddButton(this, "editTable", "&Edit this Table", 46, 61, 69, 14), &QPushButton::clicked,
          this, &SetupTablesDialog::EditTable);
  connect(AddButton(this, "createTable", "&Create New Table", 46, 80, 69, 14),
          &QPushButton::clicked, this, &SetupTablesDialog::CreateTable);
  QPushButton* ok = AddButton(this, "ok", "OK", 103, 136, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  FillTableList();
}

void SetupTablesDialog::FillTableList() { FillTableCombo(table_list_, model_.tables_defined()); }

std::string SetupTablesDialog::SelectedTable() const {
  const int index = table_list_->currentIndex();
  return index < 0 ? std::string() : FromQString(table_list_->itemText(index));
}

void SetupTablesDialog::NormalizeExchange(bool creating) {
  if (creating) exchange_.table_name = RemoveBlanks(TrimBlanks(exchange_.table_name));
  exchange_.column_list = TrimBlanks(exchange_.column_list);
}

bool SetupTablesDialog::RunDefineColumns(bool creating, bool* columns_visited) {
  DefineColumnsDialog dialog(&exchange_, creating, this);
  dialog.set_accept_check([this, creating, &dialog] {
    // An existing table whose list was never entered stays as it is.
    if (!creating && !dialog.columns_visited()) return true;
    const ColumnsExchange typed = exchange_;
    NormalizeExchange(creating);
    std::string problem;
    if (creating)
      problem = CheckNewTableName(*model_.store(), model_.tables_defined(), exchange_.table_name);
    if (problem.empty()) problem = CheckColumnList(exchange_.column_list);
    exchange_ = typed;
    if (problem.empty()) return true;
    model_.ui().Warn(problem, "Warning");
    return false;
  });
  const bool accepted = dialog.exec() == QDialog::Accepted;
  *columns_visited = dialog.columns_visited();
  return accepted;
}

void SetupTablesDialog::StoreTablesDefined(const std::string& list) {
  model_.WriteSetting("Tally", "TablesDefined", list);
  // The model's in-memory copy follows the row just written.
  model_.LoadSettings();
}

void SetupTablesDialog::DeleteTable() {
  const std::string name = SelectedTable();
  // An empty name would match the first view of the file when dropping.
  if (name.empty()) return;
  DataStore& store = *model_.store();
  Ui& ui = model_.ui();
  const int records = OpenRecordCount(store, name);
  if (records > 0 && !ui.Confirm(name + " contains " + std::to_string(records) +
                                     " records.\nAre you sure you wish to delete it?",
                                 "Confirm Delete")) {
    return;
  }
  std::optional<BusyCursor> busy(std::in_place, ui);
  exchange_.table_name = name;
  RemoveDictionaryRows(store, model_.dictionary_slot(), model_.dictionary_columns(), name);
  // A slot left holding the dropped view would still be found by its name.
  if (const int slot = store.FindView(name); slot >= 0) store.ReleaseView(slot);
  store.DropView(name);
  StoreTablesDefined(RemoveTableName(model_.tables_defined(), name));
  if (const int populations = DetachPopulations(store, name); populations > 0) {
    busy.reset();
    ui.Warn("The '" + name + "' table was assigned to " + std::to_string(populations) +
                " populations. You must update them with an existing table before tallying.",
            "Warning");
    busy.emplace(ui);
  }
  model_.Commit();
  FillTableList();
}

void SetupTablesDialog::EditTable() {
  const std::string name = SelectedTable();
  if (name.empty()) return;
  DataStore& store = *model_.store();
  Ui& ui = model_.ui();
  const int records = OpenRecordCount(store, name);
  if (records > 0) {
    const Message confirm{name + " contains " + std::to_string(records) +
                              " records.\nAll data will be lost from a column that is renamed "
                              "or removed.",
                          "Confirm Edit", MessageIcon::kExclamation, MessageButtons::kOkCancel};
    if (ui.ShowMessage(confirm) != MessageAnswer::kOk) return;
  }
  exchange_.table_name = name;
  exchange_.column_list = ReadColumnList(store, name);
  bool visited = false;
  const bool accepted = RunDefineColumns(false, &visited);
  if (!visited) return;
  if (!accepted) {
    FillTableList();
    return;
  }
  NormalizeExchange(false);

  BusyCursor busy(ui);
  const int dict_slot = model_.dictionary_slot();
  RemoveDictionaryRows(store, dict_slot, model_.dictionary_columns(), name);
  AppendDictionaryRows(store, dict_slot, model_.dictionary_columns(), name, exchange_.column_list);
  if (const int slot = store.FindView(name); slot >= 0) store.ReleaseView(slot);
  // Reopening closes the file without a commit of its own: keep the new
  // dictionary rows and everything else this Setup visit has written.
  model_.Commit();
  const std::string path = store.Path();
  store.Open(path, true);
  store.DefineTable(name, kOrderColumn);
  model_.Commit();
  // The reopen released every slot; open the views again as the setup cycle
  // does, so the model's slots are valid for whatever this visit does next.
  model_.OpenAllViews(false);
  FillTableList();
}

void SetupTablesDialog::CreateTable() {
  DataStore& store = *model_.store();
  Ui& ui = model_.ui();
  exchange_ = ColumnsExchange();
  bool visited = false;
  if (RunDefineColumns(true, &visited)) {
    NormalizeExchange(true);
    const std::string& name = exchange_.table_name;
    BusyCursor busy(ui);
    AppendDictionaryRows(store, model_.dictionary_slot(), model_.dictionary_columns(), name,
                         exchange_.column_list);
    store.DefineTable(name, kOrderColumn);
    store.OpenAView(name, store.buffered_mode());
    StoreTablesDefined(AppendTableName(model_.tables_defined(), name));
    model_.Commit();
  }
  BusyCursor busy(ui);
  model_.Commit();
  FillTableList();
}

void SetupTablesDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
