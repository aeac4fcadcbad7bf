// DataStore: the file's own event log, the MessageLog view, and emptying
// the logs (MessageLog and Buffer).
#include <cstdio>

#include "store/data_store.h"

namespace woodtick {
namespace {

// Removes every row of the view `name`; kStoreBadAddress when its slot holds
// a selection, which has no rows of its own.
int EmptyView(DataStore& store, const std::string& name) {
  int slot = store.OpenAView(name, store.buffered_mode());
  if (slot < 0) return slot;
  mk::View view = store.View(slot);
  if (view.IsDerived()) return kStoreBadAddress;
  view.SetSize(0);
  return kStoreOk;
}

}  // namespace

int DataStore::LogMessage(const std::string& msg, const std::string& level,
                          const std::string& note) {
  int slot = -1;
  bool temporary = false;
  if (!CheckForView("MessageLog", &slot)) {
    // Without the file held open there is nothing to write into.
    if (storage_ == nullptr) return kStoreNotFound;
    slot = GetViewIndex(kMessageLogDescription);
    if (slot < 0) return kStoreNoFreeSlot;
    slots_[slot].view = storage_->GetAs(kMessageLogDescription);
    temporary = true;
  }
  LocalDateTime now = env_->clock().Now();
  char date[48];
  char time[24];
  std::snprintf(date, sizeof date, "%02d/%02d/%d", now.month, now.day, now.year);
  std::snprintf(time, sizeof time, "%02d:%02d", now.hour, now.minute);

  int row = AddRow(slot, -1);
  if (row < 0) {
    if (temporary) FreeSlot(slot);
    return kStoreNotFound;
  }
  SetString(slot, row, 1, msg);
  SetString(slot, row, 2, date);
  SetString(slot, row, 3, time);
  SetString(slot, row, 4, level);
  SetString(slot, row, 5, note);
  int committed = Commit();
  if (temporary) FreeSlot(slot);
  return committed;
}

int DataStore::ClearMessageLog() { return EmptyView(*this, "MessageLog"); }

// The Buffer is the log of recent tallies; it empties the same way.
int DataStore::ClearBuffer() { return EmptyView(*this, "Buffer"); }

}  // namespace woodtick
