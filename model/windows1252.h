// The character set of the texts in a tally file: Windows-1252, one byte a
// character. Everything that shows or hands on those texts decodes them here.
#pragma once

#include <string>
#include <string_view>

namespace woodtick {

// The Unicode character of one byte. The five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same value, so every byte has a character and decoding loses nothing.
char16_t Windows1252Character(unsigned char byte);

// The text in UTF-8, each byte decoded as above.
std::string Utf8FromWindows1252(std::string_view text);

}  // namespace woodtick
