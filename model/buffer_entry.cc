#include "model/buffer_entry.h"

#include "store/data_store.h"

namespace woodtick {
namespace {

// The Buffer columns, in the order every tally file has them.
constexpr int kUnitColumn = 0;
constexpr int kKeyColumn = 1;
constexpr int kMarkColumn = 2;

}  // namespace

BufferEntry ReadBufferEntry(DataStore& store, int slot, int row) {
  int32_t unit = 0;
  std::string key, mark;
  store.GetInt(slot, row, kUnitColumn, &unit);
  store.GetString(slot, row, kKeyColumn, &key);
  store.GetString(slot, row, kMarkColumn, &mark);
  return {unit, key, mark == "M"};
}

void WriteBufferEntry(DataStore& store, int slot, int row, const BufferEntry& entry) {
  store.SetInt(slot, row, kUnitColumn, entry.unit);
  store.SetString(slot, row, kKeyColumn, entry.key);
  store.SetString(slot, row, kMarkColumn, entry.untallied() ? "" : entry.measured ? "M" : "C");
}

}  // namespace woodtick
