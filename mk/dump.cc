#include "mk/dump.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "mk/escape.h"

namespace mk {
namespace {

void AppendReal(double value, int precision, std::string* out) {
  if (std::isnan(value)) {
    out->append(std::signbit(value) ? "-nan" : "nan");
    return;
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
  out->append(buf, r.ptr);
}

void AppendCell(const View& view, int row, int col, std::string* out) {
  switch (view.NthProperty(col).type) {
    case 'S':
      AppendEscaped(view.GetString(row, col), "[]{}|", out);
      break;
    case 'I':
      out->append(std::to_string(view.GetInt(row, col)));
      break;
    case 'L':
      out->append(std::to_string(view.GetLong(row, col)));
      break;
    case 'F':
      AppendReal(view.GetFloat(row, col), 9, out);
      break;
    case 'D':
      AppendReal(view.GetDouble(row, col), 17, out);
      break;
    case 'B': {
      static const char kHex[] = "0123456789ABCDEF";
      for (char ch : view.GetBytes(row, col)) {
        unsigned char c = static_cast<unsigned char>(ch);
        out->push_back(kHex[c >> 4]);
        out->push_back(kHex[c & 15]);
      }
      break;
    }
    case 'V': {
      View sub = view.GetSubview(row, col);
      out->push_back('[');
      for (int r = 0; r < sub.GetSize(); ++r) {
        out->push_back('{');
        out->append(DumpRow(sub, r, '|'));
        out->push_back('}');
      }
      out->push_back(']');
      break;
    }
  }
}

}  // namespace

std::string DumpRow(const View& view, int row, char separator) {
  std::string out;
  for (int c = 0; c < view.NumProperties(); ++c) {
    if (c > 0) out.push_back(separator);
    AppendCell(view, row, c, &out);
  }
  return out;
}

std::string DumpStorage(const Storage& storage) {
  std::string out = "structure: " + storage.Description() + "\n";
  for (const Field& f : storage.Properties()) {
    if (f.type != 'V') {
      out += "scalar " + f.name + ":" + f.type + "\n";
      out += DumpRow(storage.GetValue(f.name), 0, '\t') + "\n";
      continue;
    }
    View view = storage.GetView(f.name);
    out += "view " + f.name + " rows=" + std::to_string(view.GetSize()) + "\n";
    out += "columns: " + view.Description() + "\n";
    for (int r = 0; r < view.GetSize(); ++r) {
      out += DumpRow(view, r, '\t');
      out.push_back('\n');
    }
  }
  return out;
}

}  // namespace mk
