// DataStore: typed cell access and adding rows. Reads use the slot's own
// view; writes and added rows of a selection go to its base view.
#include "store/cell_value.h"
#include "store/data_store.h"

namespace woodtick {

int DataStore::CellView(int slot, mk::View* view) const {
  if (state_ == StoreState::kClosed) return kStoreClosed;
  if (!ValidSlot(slot)) return kStoreBadAddress;
  if (!slots_[slot].named) return kStoreEmptySlot;
  *view = slots_[slot].view;
  return kStoreOk;
}

int DataStore::WriteTarget(int slot, int* row, int* col, mk::View* view) const {
  if (int result = CellView(slot, view); result != kStoreOk) return result;
  if (!CellInView(*view, *row, *col)) return kStoreBadAddress;
  int base = slots_[slot].base_slot;
  if (base < 0) return kStoreOk;
  // A selection whose base was released (and its slot perhaps reused) would
  // write into a copy no one keeps, or into another view.
  if (!BaseIntact(slot)) return kStoreBadAddress;
  const mk::View& base_view = slots_[base].view;
  // A selection of a selection maps to the underlying table, not to its base
  // slot's numbering; the derived view writes through to the same row then.
  if (base_view.IsDerived()) return kStoreOk;
  int base_col = base_view.FindPropIndexByName(view->NthProperty(*col).name);
  if (base_col < 0) return kStoreOk;
  *row = view->RowInBase(*row);
  *col = base_col;
  *view = base_view;
  return kStoreOk;
}

int DataStore::GetString(int slot, int row, int col, std::string* out) {
  mk::View view;
  if (int result = CellView(slot, &view); result != kStoreOk) {
    out->clear();
    return result;
  }
  int result = ReadCellText(view, row, col, out);
  if (result == kStoreBadAddress) out->clear();
  return result;
}

int DataStore::GetInt(int slot, int row, int col, int32_t* out) {
  mk::View view;
  *out = 0;
  if (int result = CellView(slot, &view); result != kStoreOk) return result;
  return ReadCellInt(view, row, col, out);
}

int DataStore::GetLong(int slot, int row, int col, int32_t* out) {
  return GetInt(slot, row, col, out);
}

int DataStore::GetFloat(int slot, int row, int col, float* out) {
  mk::View view;
  *out = 0;
  if (int result = CellView(slot, &view); result != kStoreOk) return result;
  return ReadCellFloat(view, row, col, out);
}

int DataStore::SetString(int slot, int row, int col, std::string_view text) {
  mk::View view;
  if (int result = WriteTarget(slot, &row, &col, &view); result != kStoreOk) return result;
  return WriteCellText(view, row, col, text);
}

int DataStore::SetInt(int slot, int row, int col, int32_t value) {
  mk::View view;
  if (int result = WriteTarget(slot, &row, &col, &view); result != kStoreOk) return result;
  return WriteCellInt(view, row, col, value);
}

int DataStore::AddRow(int slot, int after_row) {
  mk::View view;
  if (int result = CellView(slot, &view); result != kStoreOk) return result;
  int base = slots_[slot].base_slot;
  if (base >= 0) {
    // A selection's new row goes to the end of the view it was taken from.
    if (!BaseIntact(slot) || slots_[base].view.IsDerived()) return kStoreBadAddress;
    mk::View base_view = slots_[base].view;
    int pos = base_view.GetSize();
    base_view.InsertEmptyRowsAt(pos);
    return pos;
  }
  if (view.IsDerived() || after_row >= view.GetSize()) return kStoreBadAddress;
  int pos = after_row < 0 ? view.GetSize() : after_row + 1;
  view.InsertEmptyRowsAt(pos);
  return pos;
}

}  // namespace woodtick
