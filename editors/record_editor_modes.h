// What differs between the record editor's three uses. EditDataDialog asks
// its mode and branches on nothing else:
//
//   PopulationsMode  the Setup screen, on the Tally view, from the first row;
//                    holds the population fields to their rules and keeps
//                    the population count;
//   EditDataMode     Select The Table to Edit, on a data table, from the
//                    last row;
//   DataEntryMode    a HIT, on the record just appended to the population's
//                    data table, with Unit, Label (and Num) filled from the
//                    HIT on the first showing.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "model/ui.h"

namespace woodtick {

class TallyModel;

// The record being edited: row `record` of the view in `slot`.
struct EditedRecord {
  int slot;
  int record;
};

class RecordEditorMode {
 public:
  virtual ~RecordEditorMode() = default;

  // The record shown on opening a view of `count` records.
  virtual int FirstRecord(int count) const = 0;
  // Texts that fields show instead of the stored values, by column name.
  // Handed out once: only the first showing is filled.
  virtual std::map<std::string, std::string> TakePrefill() { return {}; }
  // The field of `column` takes one character (a hot key).
  virtual bool OneCharacter(const std::string& column) const;
  // The check of the field of `column` as it is left. It may rewrite *text;
  // a message means the value is refused: the field gets back what it held
  // before and the focus returns to it.
  virtual std::optional<Message> CheckField(TallyModel& model, const EditedRecord& at,
                                            const std::string& column, std::string* text) const;
  // Values are held to their data-table column's type and range.
  virtual bool ChecksTypes() const { return true; }
  // Leaving the field of `column` may have changed a sampling rule.
  virtual bool ChangesStrategies(const std::string& column) const;
  // A message refusing New in a view of `count` records.
  virtual std::optional<Message> RefuseNew(int count) const;
  // The message-log text for a record deleted in this mode.
  virtual const char* DeletedMessage() const = 0;
  // What else goes with a deleted record, added to the question asked
  // before deleting; "" when nothing does.
  virtual std::string DeleteConsequence() const { return std::string(); }
  // A record was added (+1) or deleted (-1).
  virtual void CountChanged(TallyModel& model, int delta);
};

// The population rules are the model's (population_rules.h); this mode
// asks them and shows the answer.
class PopulationsMode : public RecordEditorMode {
 public:
  // `count_changed` is told +1 or -1 for each population added or deleted,
  // for the Setup screen's own count; the model's count is kept here.
  explicit PopulationsMode(std::function<void(int)> count_changed = {})
      : count_changed_(std::move(count_changed)) {}

  int FirstRecord(int count) const override;
  bool OneCharacter(const std::string& column) const override;
  std::optional<Message> CheckField(TallyModel& model, const EditedRecord& at,
                                    const std::string& column, std::string* text) const override;
  // The population fields keep their own rules.
  bool ChecksTypes() const override { return false; }
  bool ChangesStrategies(const std::string& column) const override;
  std::optional<Message> RefuseNew(int count) const override;
  const char* DeletedMessage() const override;
  std::string DeleteConsequence() const override;
  void CountChanged(TallyModel& model, int delta) override;

 private:
  std::function<void(int)> count_changed_;
};

class EditDataMode : public RecordEditorMode {
 public:
  int FirstRecord(int count) const override;
  const char* DeletedMessage() const override;
};

class DataEntryMode : public RecordEditorMode {
 public:
  explicit DataEntryMode(const RecordEditorRequest& request);

  int FirstRecord(int count) const override;
  std::map<std::string, std::string> TakePrefill() override;
  const char* DeletedMessage() const override;

 private:
  int row_;
  std::map<std::string, std::string> prefill_;
};

}  // namespace woodtick
