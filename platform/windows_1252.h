// The Windows-1252 character set tally files hold their texts in, one byte
// per character.
#pragma once

#include <string>
#include <string_view>

namespace woodtick {

// Every byte maps to one character; the five bytes the set leaves undefined
// map to the control characters of the same value.
char32_t Windows1252ToUnicode(unsigned char byte);
// The byte of a character, or -1 when the set cannot hold it.
int Windows1252ByteOf(char32_t c);
// The byte of a character; '?' for one the set cannot hold.
char UnicodeToWindows1252(char32_t c);

// The text in UTF-8, each byte decoded as above.
std::string Utf8FromWindows1252(std::string_view text);

}  // namespace woodtick
