#include "mk/top_level.h"

#include <utility>

namespace mk {

TopLevel ViewEntry(std::string name, std::shared_ptr<ViewImpl> table) {
  return TopLevel{std::move(name), std::move(table), true};
}

TopLevel ValueEntry(const Field& field) {
  auto table = std::make_shared<ViewImpl>(std::vector<Field>{field});
  table->SetSize(1);
  return TopLevel{field.name, std::move(table), false};
}

std::vector<Field> TopFields(const std::vector<TopLevel>& top) {
  std::vector<Field> fields;
  for (const TopLevel& t : top) {
    if (t.is_view) {
      fields.push_back(Field{t.name, 'V', t.table->fields(), false});
    } else {
      fields.push_back(Field{t.name, t.table->field(0).type, {}, false});
    }
  }
  return fields;
}

}  // namespace mk
