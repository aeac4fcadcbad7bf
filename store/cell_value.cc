#include "store/cell_value.h"

#include "mk/convert.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

// One callable made of several lambdas, one per argument type.
template <typename... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};

// Calls `take` with the cell as its column stores it: double (D), float (F),
// int32_t (I), int64_t (L) or std::string_view (S).
template <typename Take>
int ReadCell(const mk::View& view, int row, int col, Take take) {
  if (!view.HasCell(row, col)) return kStoreBadAddress;
  switch (view.NthProperty(col).type) {
    case 'D':
      take(view.GetDouble(row, col));
      return kStoreOk;
    case 'F':
      take(view.GetFloat(row, col));
      return kStoreOk;
    case 'I':
      take(view.GetInt(row, col));
      return kStoreOk;
    case 'L':
      take(view.GetLong(row, col));
      return kStoreOk;
    case 'S':
      take(view.GetString(row, col));
      return kStoreOk;
    default:
      return kStoreUnsupported;
  }
}

// Stores into the cell the value `from` gives for the column's type:
// Real() for D and F, Int() for I, Long() for L, Text() for S.
template <typename From>
int WriteCell(mk::View& view, int row, int col, const From& from) {
  if (!view.HasCell(row, col)) return kStoreBadAddress;
  switch (view.NthProperty(col).type) {
    case 'D':
      view.SetDouble(row, col, from.Real());
      return kStoreOk;
    case 'F':
      view.SetFloat(row, col, static_cast<float>(from.Real()));
      return kStoreOk;
    case 'I':
      view.SetInt(row, col, from.Int());
      return kStoreOk;
    case 'L':
      view.SetLong(row, col, from.Long());
      return kStoreOk;
    case 'S':
      view.SetString(row, col, from.Text());
      return kStoreOk;
    default:
      return kStoreUnsupported;
  }
}

}  // namespace

bool CellInView(const mk::View& view, int row, int col) {
  return row >= 0 && row < view.GetSize() && col >= 0 && col < view.NumProperties();
}

int ReadCellText(const mk::View& view, int row, int col, std::string* out) {
  return ReadCell(view, row, col,
                  Overloaded{[&](double v) { *out = mk::DoubleToText(v); },
                             [&](float v) { *out = mk::FloatToText(v); },
                             [&](int32_t v) { *out = mk::LongToText(v); },
                             // The whole value: a text is as wide as the number it shows.
                             [&](int64_t v) { *out = mk::LongToText(v); },
                             [&](std::string_view v) { *out = std::string(v); }});
}

int ReadCellInt(const mk::View& view, int row, int col, int32_t* out) {
  *out = 0;
  return ReadCell(
      view, row, col,
      Overloaded{[&](double v) { *out = mk::RealToInt(v); },
                 [&](float v) { *out = mk::RealToInt(v); }, [&](int32_t v) { *out = v; },
                 // A number read of a Long cell takes its low 32 bits.
                 [&](int64_t v) { *out = static_cast<int32_t>(v); },
                 [&](std::string_view v) { *out = mk::TextToInt(v); }});
}

int ReadCellFloat(const mk::View& view, int row, int col, float* out) {
  *out = 0;
  return ReadCell(
      view, row, col,
      Overloaded{[&](double v) { *out = static_cast<float>(v); }, [&](float v) { *out = v; },
                 [&](int32_t v) { *out = static_cast<float>(v); },
                 [&](int64_t v) { *out = static_cast<float>(static_cast<int32_t>(v)); },
                 [&](std::string_view v) { *out = static_cast<float>(mk::TextToReal(v)); }});
}

int WriteCellText(mk::View& view, int row, int col, std::string_view text) {
  struct FromText {
    std::string_view text;
    double Real() const { return mk::TextToReal(text); }
    int32_t Int() const { return mk::TextToInt(text); }
    // The full 64-bit value: a counter text beyond 32 bits is kept whole.
    int64_t Long() const { return mk::TextToLong(text); }
    std::string_view Text() const { return text; }
  };
  return WriteCell(view, row, col, FromText{text});
}

int WriteCellInt(mk::View& view, int row, int col, int32_t value) {
  struct FromInt {
    int32_t value;
    double Real() const { return value; }
    int32_t Int() const { return value; }
    int64_t Long() const { return value; }
    std::string Text() const { return mk::LongToText(value); }
  };
  return WriteCell(view, row, col, FromInt{value});
}

}  // namespace woodtick
