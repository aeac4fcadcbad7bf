#include "store/cell_value.h"

#include <stdexcept>

#include "mk/convert.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

// A selection is a snapshot of row numbers; when its base has since lost the
// row or column, the engine refuses the access. That is an address outside
// what exists, never a reason to leave the store by an exception.
template <typename Access>
int Guarded(Access access) {
  try {
    return access();
  } catch (const std::logic_error&) {
    return kStoreBadAddress;
  }
}

}  // namespace

bool CellInView(const mk::View& view, int row, int col) {
  return row >= 0 && row < view.GetSize() && col >= 0 && col < view.NumProperties();
}

int ReadCellText(const mk::View& view, int row, int col, std::string* out) {
  if (!CellInView(view, row, col)) return kStoreBadAddress;
  return Guarded([&] {
    switch (view.NthProperty(col).type) {
      case 'D':
        *out = mk::DoubleToText(view.GetDouble(row, col));
        return kStoreOk;
      case 'F':
        *out = mk::FloatToText(view.GetFloat(row, col));
        return kStoreOk;
      case 'I':
        *out = mk::LongToText(view.GetInt(row, col));
        return kStoreOk;
      // The whole value: a text is as wide as the number it shows.
      case 'L':
        *out = mk::LongToText(view.GetLong(row, col));
        return kStoreOk;
      case 'S':
        *out = std::string(view.GetString(row, col));
        return kStoreOk;
      default:
        return kStoreUnsupported;
    }
  });
}

int ReadCellInt(const mk::View& view, int row, int col, int32_t* out) {
  *out = 0;
  if (!CellInView(view, row, col)) return kStoreBadAddress;
  return Guarded([&] {
    switch (view.NthProperty(col).type) {
      case 'D':
        *out = mk::RealToInt(view.GetDouble(row, col));
        return kStoreOk;
      case 'F':
        *out = mk::RealToInt(view.GetFloat(row, col));
        return kStoreOk;
      case 'I':
        *out = view.GetInt(row, col);
        return kStoreOk;
      case 'L':
        *out = static_cast<int32_t>(view.GetLong(row, col));
        return kStoreOk;
      case 'S':
        *out = mk::TextToInt(view.GetString(row, col));
        return kStoreOk;
      default:
        return kStoreUnsupported;
    }
  });
}

int ReadCellFloat(const mk::View& view, int row, int col, float* out) {
  *out = 0;
  if (!CellInView(view, row, col)) return kStoreBadAddress;
  return Guarded([&] {
    switch (view.NthProperty(col).type) {
      case 'D':
        *out = static_cast<float>(view.GetDouble(row, col));
        return kStoreOk;
      case 'F':
        *out = view.GetFloat(row, col);
        return kStoreOk;
      case 'I':
        *out = static_cast<float>(view.GetInt(row, col));
        return kStoreOk;
      case 'L':
        *out = static_cast<float>(static_cast<int32_t>(view.GetLong(row, col)));
        return kStoreOk;
      case 'S':
        *out = static_cast<float>(mk::TextToReal(view.GetString(row, col)));
        return kStoreOk;
      default:
        return kStoreUnsupported;
    }
  });
}

int WriteCellText(mk::View& view, int row, int col, std::string_view text) {
  if (!CellInView(view, row, col)) return kStoreBadAddress;
  return Guarded([&] {
    switch (view.NthProperty(col).type) {
      case 'D':
        view.SetDouble(row, col, mk::TextToReal(text));
        return kStoreOk;
      case 'F':
        view.SetFloat(row, col, static_cast<float>(mk::TextToReal(text)));
        return kStoreOk;
      case 'I':
        view.SetInt(row, col, mk::TextToInt(text));
        return kStoreOk;
      // The full 64-bit value: a counter text beyond 32 bits is kept whole.
      case 'L':
        view.SetLong(row, col, mk::TextToLong(text));
        return kStoreOk;
      case 'S':
        view.SetString(row, col, text);
        return kStoreOk;
      default:
        return kStoreUnsupported;
    }
  });
}

int WriteCellInt(mk::View& view, int row, int col, int32_t value) {
  if (!CellInView(view, row, col)) return kStoreBadAddress;
  return Guarded([&] {
    switch (view.NthProperty(col).type) {
      case 'D':
        view.SetDouble(row, col, value);
        return kStoreOk;
      case 'F':
        view.SetFloat(row, col, static_cast<float>(value));
        return kStoreOk;
      case 'I':
        view.SetInt(row, col, value);
        return kStoreOk;
      case 'L':
        view.SetLong(row, col, value);
        return kStoreOk;
      case 'S':
        view.SetString(row, col, mk::LongToText(value));
        return kStoreOk;
      default:
        return kStoreUnsupported;
    }
  });
}

}  // namespace woodtick
