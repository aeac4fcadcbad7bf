// Records: the records of one open view as the record editor browses and
// edits them (a data table, or the Tally view's populations). A handle on
// the view in one slot of the model's store: every call reads the store the
// model holds at that moment. Values of number columns cross as the editor
// shows them: "" for a measurement not taken.
#pragma once

#include <string>
#include <vector>

#include "model/column_types.h"

namespace woodtick {

struct ModelContext;

class Records {
 public:
  Records(ModelContext& ctx, int slot) : ctx_(ctx), slot_(slot) {}

  int slot() const { return slot_; }
  // The view's name.
  std::string Name() const;
  int Count() const;
  // The view's column names, in order.
  std::vector<std::string> ColumnNames() const;
  // The type and range values of the view column are held to, as its
  // table defines them (Text when it defines none).
  ColumnDefinition Definition(const std::string& view_column) const;

  // The cell as the editor shows it.
  std::string FieldText(int row, int col) const;
  // Stores a checked text (CheckValue's *stored).
  void WriteField(int row, int col, const std::string& text);
  // Appends a record, every number in it not taken; answers its row.
  int Append();
  // Removes row `row` and logs it (level "A", which commits): `message`
  // says from where, `note` what the record held.
  void Delete(int row, const std::string& message, const std::string& note);

 private:
  ModelContext& ctx_;
  int slot_;
};

}  // namespace woodtick
