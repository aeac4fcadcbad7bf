// The store work behind the data-table screens: the tables-defined list, the
// DataDictionary rows of a table, and the populations that name a table.
// Kept free of Qt so the screens only decide what to ask and what to show.
#pragma once

#include <string>
#include <vector>

#include "model/column_types.h"
#include "model/model_context.h"
#include "store/data_store.h"

namespace woodtick {

// The entries of a comma-separated list, each trimmed, in list order.
std::vector<std::string> SplitTableList(const std::string& list);
// True when an entry of the list equals name exactly (case matters).
bool TableListContains(const std::string& list, const std::string& name);
// The list with every blank removed and the entry equal to name dropped,
// joined by bare commas ("Alpha, Beta, Gamma" less Beta gives "Alpha,Gamma").
std::string RemoveTableName(const std::string& list, const std::string& name);
// The list with name appended after ", " (or alone when the list is empty).
std::string AppendTableName(const std::string& list, const std::string& name);

// Rows of the table's view, or -1 when no slot holds it.
int OpenRecordCount(DataStore& store, const std::string& table);

// The table's ColumnName values in dictionary order, joined by ", ".
std::string ReadColumnList(DataStore& store, const std::string& table);
// The DataDictionary rows live in `dict_slot`; `dict` holds the positions
// the model looked up when the file was opened.
// Removes every dictionary row of the table, last row first.
void RemoveDictionaryRows(DataStore& store, int dict_slot, const DictionaryColumns& dict,
                          const std::string& table);
// Appends one row per column, Order1 from 1, FieldType and Min and Max from
// the column's definition.
void AppendDictionaryRows(DataStore& store, int dict_slot, const DictionaryColumns& dict,
                          const std::string& table, const std::vector<ColumnDefinition>& columns);
// The table's columns as its dictionary rows define them, in dictionary
// order; each column's type is its view column's when the view has it, so
// a file whose views were typed by other software is read as typed.
std::vector<ColumnDefinition> ReadColumnDefinitions(DataStore& store, int dict_slot,
                                                    const DictionaryColumns& dict,
                                                    const std::string& table);
// The columns of a column list: each keeps its definition in `known` (by
// name), else it is Text. Unit, Num and Label are always Text: they are
// filled from the HIT.
std::vector<ColumnDefinition> DefinitionsForList(const std::string& column_list,
                                                 const std::vector<ColumnDefinition>& known);
bool IsFilledFromHit(const std::string& column);

// Points every population that uses the table at "choose another table";
// answers how many there were.
int DetachPopulations(DataStore& store, const std::string& table);

// Input that would damage the file if handed to the store: answers the
// warning text to show, or "" when the input may be used. A name must be
// new to the file in any letter case, since views are matched ignoring case.
std::string CheckNewTableName(DataStore& store, const std::string& tables_defined,
                              const std::string& name);
std::string CheckColumnList(const std::string& column_list);
// The record editor shows six fields; a table has no more columns.
inline constexpr size_t kMaxTableColumns = 6;

// Blanks trimmed from both ends (spaces, tabs, line breaks).
std::string TrimBlanks(const std::string& text);
// Every space removed.
std::string RemoveBlanks(const std::string& text);

}  // namespace woodtick
