// The structure of a view: its fields (columns) as a description names them,
// e.g. "Block:S,Key:S,Value:S" or "Orders[id:I,lines[sku:S,qty:I],blob:B]".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mk/status.h"

namespace mk {

struct Field {
  std::string name;              // exact bytes and case as described
  char type = 'S';               // 'S','I','L','F','D','B','V' ('M' is read as 'B')
  std::vector<Field> subfields;  // for 'V'
  bool recursive = false;        // "name[^]": subfields are those of the enclosing view
};

// Parses a field list ("a:I,b[c:S]") as stored in a datafile. Fails on
// unbalanced brackets, unknown type letters and duplicate names.
Status ParseFields(std::string_view text, std::vector<Field>* out);

// The canonical form: "name:T" for data fields, "name[...]" for subviews.
std::string DescribeFields(const std::vector<Field>& fields);

// True when the names are equal ignoring ASCII letter case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace mk
