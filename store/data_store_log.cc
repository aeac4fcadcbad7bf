// DataStore: the file's own event log, the MessageLog view.
#include <cstdio>

#include "store/data_store.h"

namespace woodtick {

int DataStore::LogMessage(const std::string& msg, const std::string& level,
                          const std::string& note) {
  int slot = -1;
  bool temporary = false;
  if (!CheckForView("MessageLog", &slot)) {
    // Without the file held open there is nothing to write into.
    if (storage_ == nullptr) return kStoreNotFound;
    slot = GetViewIndex(kMessageLogDescription);
    if (slot < 0) return kStoreNotFound;
    slots_[slot].view = storage_->GetAs(kMessageLogDescription);
    temporary = true;
  }
  LocalDateTime now = clock_->Now();
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

int DataStore::ClearMessageLog() {
  int slot = OpenAView("MessageLog", BufferedOpenMode());
  if (slot < 0) return slot;
  if (slots_[slot].view.IsDerived()) return kStoreBadAddress;
  slots_[slot].view.SetSize(0);
  return kStoreOk;
}

}  // namespace woodtick
