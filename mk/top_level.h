// The entries of a storage's root row: its views and, in files made by other
// Metakit software, properties that are not views (e.g. "a:I,v[b:S]"). Both
// kinds are read, kept in structure order and written back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mk/field.h"
#include "mk/view_impl.h"

namespace mk {

struct TopLevel {
  std::string name;
  // The view; for a property that is not a view, a table of one row whose
  // only column (named `name`) holds the value.
  std::shared_ptr<ViewImpl> table;
  bool is_view = true;
};

// A view entry for `table`, and a value entry of `field` holding a default
// value.
TopLevel ViewEntry(std::string name, std::shared_ptr<ViewImpl> table);
TopLevel ValueEntry(const Field& field);

// The entries as the structure lists them; a view's fields are its current ones.
std::vector<Field> TopFields(const std::vector<TopLevel>& top);

}  // namespace mk
