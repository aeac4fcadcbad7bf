// DataTables: the data tables of the open file and the records in them, as
// the Setup Data Tables screen, Define Columns and the record editor change
// them. The screens ask their questions and show the answers; every change
// of the store happens here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/column_types.h"
#include "model/population_import.h"
#include "model/records.h"
#include "model/ui.h"

namespace woodtick {

class HeldFile;
class Tallying;
class TallySettings;
struct ModelContext;

class DataTables {
 public:
  DataTables(ModelContext& ctx, HeldFile& file, TallySettings& settings, Tallying& tallying)
      : ctx_(ctx), file_(file), settings_(settings), tallying_(tallying) {}

  // Records in the table's open view; -1 when no view of it is open.
  int RecordCount(const std::string& table);
  // The table's columns, in their order.
  std::vector<ColumnDefinition> Columns(const std::string& table);
  // The table's ColumnName values in dictionary order, joined by ", ".
  std::string ColumnList(const std::string& table);
  // The slot of the table's open view; -1 when none is open.
  int FindView(const std::string& table);
  // The records of the view in `slot`, to browse and edit.
  Records RecordsIn(int slot);

  // Why a table cannot be built so (name new to the file when `creating`,
  // the column list, each column's type and range); "" when it can.
  std::string CheckDefinition(bool creating, const std::string& name,
                              const std::vector<ColumnDefinition>& columns);
  // Builds a new table and opens its view.
  void CreateTable(const std::string& name, const std::vector<ColumnDefinition>& columns);
  // Rebuilds a table with new columns. Every kept value is converted to its
  // column's new type; when one does not convert (or lies outside the new
  // range) nothing changes and the refusal names the first such records.
  // "" when the table was rebuilt.
  std::string RedefineTable(const std::string& name, const std::vector<ColumnDefinition>& columns);
  // Deletes a table with its records and dictionary rows; answers how many
  // populations used it (they now name "choose another table").
  int DeleteTable(const std::string& name);

  // The record editor's check of the field of `column` of population `row`
  // of the Tally view in `slot` as it is left (population_rules.h).
  std::optional<Message> CheckPopulationField(int slot, int row, const std::string& column,
                                              std::string* text);

  // A species list read and checked against the open file; nothing changes.
  PopulationImport PlanImport(const std::string& csv);
  // Appends a checked list's populations, rebuilds the sampling strategies
  // and logs the import. False when the store refused.
  bool Import(const PopulationImport& import, const std::string& source);

 private:
  void StoreTablesDefined(const std::string& list);

  ModelContext& ctx_;
  HeldFile& file_;
  TallySettings& settings_;
  Tallying& tallying_;
};

}  // namespace woodtick
