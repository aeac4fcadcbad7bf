#include "editors/record_editor_modes.h"

#include <algorithm>
#include <utility>

#include "model/table_definitions.h"
#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

Message Exclamation(std::string text, std::string title) {
  return {std::move(text), std::move(title), MessageIcon::kExclamation, MessageButtons::kOk};
}

// The Label of another population whose Key is `key` in any letter case
// ("in record N" when it has none); "" when no other has it.
std::string PopulationWithKey(const EditedRecord& at, const std::string& key) {
  const mk::View view = at.store.View(at.slot);
  const int key_col = view.FindPropIndexByName("Key");
  const int label_col = view.FindPropIndexByName("Label");
  const std::string wanted = UpperCase(key);
  for (int row = 0; row < view.GetSize(); ++row) {
    if (row == at.record) continue;
    std::string other;
    at.store.GetString(at.slot, row, key_col, &other);
    if (UpperCase(other) != wanted) continue;
    std::string label;
    if (label_col >= 0) at.store.GetString(at.slot, row, label_col, &label);
    return label.empty() ? "in record " + std::to_string(row + 1) : label;
  }
  return std::string();
}

std::optional<Message> CheckKey(const EditedRecord& at, const std::string& key) {
  if (key.empty()) {
    return Exclamation("You must enter a hotkey for this population!", "Missing Key");
  }
  const std::string owner = PopulationWithKey(at, key);
  if (owner.empty()) return std::nullopt;
  return Exclamation("The hotkey " + key + " is already used by the population " + owner +
                         ".\nEach population needs a hotkey of its own (upper and lower case "
                         "count as the same key).",
                     "Duplicate Key");
}

// Trims *table; empty (no data table) or an entry of the stored tables list
// passes, anything else is refused.
std::optional<Message> CheckDatTable(TallyModel& model, std::string* table) {
  *table = TrimBlanks(*table);
  if (table->empty()) return std::nullopt;
  const std::string& typed = *table;
  if (IsReservedTableName(typed)) {
    return Exclamation("The name '" + typed +
                           "' is reserved for one of Woodtick's own tables; "
                           "choose one of your data tables.",
                       "Table Name Error");
  }
  std::string stored;
  model.ReadSetting("Tally", "TablesDefined", &stored);
  if (!TableListContains(stored, typed)) {
    return Exclamation("The table '" + typed + "' does not exist! Check your spelling and case.",
                       "Table Name Error");
  }
  return std::nullopt;
}

}  // namespace

bool RecordEditorMode::OneCharacter(const std::string&) const { return false; }

std::optional<Message> RecordEditorMode::CheckField(TallyModel&, const EditedRecord&,
                                                    const std::string&, std::string*) const {
  return std::nullopt;
}

bool RecordEditorMode::ChangesStrategies(const std::string&) const { return false; }

std::optional<Message> RecordEditorMode::RefuseNew(int) const { return std::nullopt; }

void RecordEditorMode::CountChanged(TallyModel&, int) {}

int PopulationsMode::FirstRecord(int) const { return 0; }

bool PopulationsMode::OneCharacter(const std::string& column) const { return column == "Key"; }

std::optional<Message> PopulationsMode::CheckField(TallyModel& model, const EditedRecord& at,
                                                   const std::string& column,
                                                   std::string* text) const {
  if (column == "Key") return CheckKey(at, *text);
  if (column == "DatTable") return CheckDatTable(model, text);
  return std::nullopt;
}

bool PopulationsMode::ChangesStrategies(const std::string& column) const {
  return column == "Meth" || column == "Freq";
}

std::optional<Message> PopulationsMode::RefuseNew(int count) const {
  if (count < kMaxPopulations) return std::nullopt;
  return Exclamation("Maximum populations is 20", kProgramTitle);
}

const char* PopulationsMode::DeletedMessage() const { return "Population record deleted"; }

std::string PopulationsMode::DeleteConsequence() const {
  return "\n\nThe population's counts in every unit are deleted with it.";
}

void PopulationsMode::CountChanged(TallyModel& model, int delta) {
  model.ChangeNumPopulations(delta);
  if (count_changed_) count_changed_(delta);
}

int EditDataMode::FirstRecord(int count) const { return std::max(0, count - 1); }

const char* EditDataMode::DeletedMessage() const {
  return "Data record deleted while in Edit Data";
}

DataEntryMode::DataEntryMode(const RecordEditorRequest& request)
    : row_(request.row), prefill_{{"Unit", request.unit_text}, {"Label", request.label}} {
  if (request.fill_num) prefill_["Num"] = request.hit_number_text;
}

int DataEntryMode::FirstRecord(int) const { return row_; }

std::map<std::string, std::string> DataEntryMode::TakePrefill() {
  return std::exchange(prefill_, {});
}

const char* DataEntryMode::DeletedMessage() const {
  return "Data record deleted while in Data Entry";
}

}  // namespace woodtick
