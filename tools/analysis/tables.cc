#include "tools/analysis/tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/column_types.h"

namespace woodtick {
namespace {

// How deep views nest in the rows of `view`: 0 when no row holds a nested
// row.
int NestingDepth(const mk::View& view) {
  int deepest = 0;
  for (int c = 0; c < view.NumProperties(); ++c) {
    if (view.NthProperty(c).type != 'V') continue;
    for (int r = 0; r < view.GetSize(); ++r) {
      mk::View nested = view.GetSubview(r, c);
      if (nested.GetSize() > 0) deepest = std::max(deepest, 1 + NestingDepth(nested));
    }
  }
  return deepest;
}

// `depth`: how many levels of nested rows the data has below this table. A
// recursive column's rows have the fields of this table; its tables stop
// where the data does.
void Plan(const std::string& name, const std::vector<mk::Field>& fields, bool nested, int depth,
          std::vector<ExportTable>* out) {
  size_t index = out->size();
  out->push_back({name, fields, nested, std::vector<int>(fields.size(), -1)});
  for (size_t c = 0; c < fields.size(); ++c) {
    const mk::Field& f = fields[c];
    if (f.type != 'V' || (f.recursive && depth < 1)) continue;
    (*out)[index].children[c] = static_cast<int>(out->size());
    Plan(name + "." + f.name, f.recursive ? fields : f.subfields, true, depth - 1, out);
  }
}

bool Walk(const mk::View& view, const std::vector<ExportTable>& tables, int table, int64_t parent,
          std::vector<int64_t>& next, ExportSink& sink, bool top) {
  const ExportTable& t = tables[table];
  for (int r = 0; r < view.GetSize(); ++r) {
    int64_t position = next[table]++;
    if (!sink.WriteRow(table, {&view, r, position, parent})) return false;
    for (size_t c = 0; c < t.children.size(); ++c) {
      if (t.children[c] < 0) continue;
      mk::View nested = view.GetSubview(r, static_cast<int>(c));
      if (!Walk(nested, tables, t.children[c], position, next, sink, false)) return false;
    }
    if (top) sink.TopLevelRowDone();
  }
  return true;
}

template <typename Real>
std::string RealText(Real value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, end);
}

// A tally file's DataDictionary types each data-table column; its Whole
// and Decimal number columns keep a measurement "not taken" apart from 0.
void MarkMeasurementColumns(const mk::Storage& storage, std::vector<ExportTable>* tables) {
  const std::vector<std::string> names = storage.ViewNames();
  if (std::find(names.begin(), names.end(), "DataDictionary") == names.end()) return;
  const mk::View dict = storage.GetView("DataDictionary");
  const int table_col = dict.FindPropIndexByName("TableName");
  const int column_col = dict.FindPropIndexByName("ColumnName");
  const int type_col = dict.FindPropIndexByName("FieldType");
  for (int col : {table_col, column_col, type_col}) {
    if (col < 0 || dict.NthProperty(col).type != 'S') return;
  }
  for (ExportTable& table : *tables) {
    if (table.nested) continue;
    table.measurements.assign(table.columns.size(), false);
    for (int row = 0; row < dict.GetSize(); ++row) {
      const std::string_view type = dict.GetString(row, type_col);
      if ((type != "I" && type != "D") || dict.GetString(row, table_col) != table.name) continue;
      std::string name(dict.GetString(row, column_col));
      name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
      for (size_t c = 0; c < table.columns.size(); ++c) {
        if (mk::SameName(table.columns[c].name, name)) table.measurements[c] = true;
      }
    }
  }
}

}  // namespace

std::vector<ExportTable> PlanExportTables(const mk::Storage& storage) {
  std::vector<ExportTable> tables;
  for (const mk::Field& p : storage.Properties()) {
    if (p.type == 'V') {
      Plan(p.name, p.subfields, false, NestingDepth(storage.GetView(p.name)), &tables);
    }
  }
  MarkMeasurementColumns(storage, &tables);
  return tables;
}

bool NotTaken(const ExportTable& table, const mk::View& view, int row, int col) {
  return col < static_cast<int>(table.measurements.size()) && table.measurements[col] &&
         IsNotTaken(view, row, col);
}

int64_t CountTopLevelRows(const mk::Storage& storage) {
  int64_t rows = 0;
  for (const std::string& name : storage.ViewNames()) rows += storage.GetView(name).GetSize();
  return rows;
}

bool WalkExportRows(const mk::Storage& storage, const std::vector<ExportTable>& tables,
                    ExportSink& sink) {
  std::vector<int64_t> next(tables.size(), 0);
  for (size_t t = 0; t < tables.size(); ++t) {
    if (tables[t].nested) continue;
    mk::View view = storage.GetView(tables[t].name);
    if (!Walk(view, tables, static_cast<int>(t), 0, next, sink, true)) return false;
  }
  return true;
}

std::string NumberText(const mk::View& view, int row, int col) {
  switch (view.NthProperty(col).type) {
    case 'I':
      return std::to_string(view.GetInt(row, col));
    case 'L':
      return std::to_string(view.GetLong(row, col));
    case 'F':
      return RealText(view.GetFloat(row, col));
    case 'D':
      return RealText(view.GetDouble(row, col));
    case 'V':
      return std::to_string(view.GetSubview(row, col).GetSize());
    default:
      return "";
  }
}

}  // namespace woodtick
