#include "editors/record_editor_modes.h"

#include <algorithm>
#include <utility>

#include "model/population_rules.h"
#include "model/tally_model.h"

namespace woodtick {

bool RecordEditorMode::OneCharacter(const std::string&) const { return false; }

std::optional<Message> RecordEditorMode::CheckField(TallyModel&, const EditedRecord&,
                                                    const std::string&, std::string*) const {
  return std::nullopt;
}

bool RecordEditorMode::ChangesStrategies(const std::string&) const { return false; }

std::optional<Message> RecordEditorMode::RefuseNew(int) const { return std::nullopt; }

void RecordEditorMode::CountChanged(TallyModel&, int) {}

int PopulationsMode::FirstRecord(int) const { return 0; }

bool PopulationsMode::OneCharacter(const std::string& column) const {
  return IsHotKeyColumn(column);
}

std::optional<Message> PopulationsMode::CheckField(TallyModel& model, const EditedRecord& at,
                                                   const std::string& column,
                                                   std::string* text) const {
  return model.data_tables().CheckPopulationField(at.slot, at.record, column, text);
}

bool PopulationsMode::ChangesStrategies(const std::string& column) const {
  return FeedsStrategies(column);
}

std::optional<Message> PopulationsMode::RefuseNew(int count) const {
  return RefuseNewPopulation(count);
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
