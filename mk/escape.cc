#include "mk/escape.h"

namespace mk {
namespace {

bool NeedsEscape(unsigned char c, std::string_view also) {
  return c < 0x20 || c > 0x7E || c == '\\' || also.find(static_cast<char>(c)) != also.npos;
}

}  // namespace

void AppendEscaped(std::string_view text, std::string_view also, std::string* out) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (NeedsEscape(c, also)) {
      out->push_back('\\');
      out->push_back('x');
      out->push_back(kHex[c >> 4]);
      out->push_back(kHex[c & 15]);
    } else {
      out->push_back(ch);
    }
  }
}

std::string Quoted(std::string_view text, size_t limit) {
  std::string out = "'";
  size_t shown = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t width = NeedsEscape(static_cast<unsigned char>(text[i]), "") ? 4 : 1;
    if (shown + width > limit) {
      out += "...";
      break;
    }
    AppendEscaped(text.substr(i, 1), "", &out);
    shown += width;
  }
  out += "'";
  return out;
}

}  // namespace mk
