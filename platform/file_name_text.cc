#include "platform/file_name_text.h"

#include "platform/windows_1252.h"

namespace woodtick {
namespace {

// The length of the valid UTF-8 sequence at `text[i]` and its character; 0
// when the bytes there are no valid sequence (overlong forms, surrogates
// and values past U+10FFFF included).
size_t Utf8Sequence(std::string_view text, size_t i, char32_t* c) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  size_t length;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
  if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return 0;
  *c = value;
  return length;
}

}  // namespace

std::string FileNameText(std::string_view file_name) {
  std::string text;
  text.reserve(file_name.size());
  for (size_t i = 0; i < file_name.size();) {
    char32_t c;
    size_t length =
        static_cast<unsigned char>(file_name[i]) < 0x80 ? 0 : Utf8Sequence(file_name, i, &c);
    if (length == 0) {
      text.push_back(file_name[i++]);
    } else {
      text.push_back(UnicodeToWindows1252(c));
      i += length;
    }
  }
  return text;
}

std::string_view BaseName(std::string_view path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace woodtick
