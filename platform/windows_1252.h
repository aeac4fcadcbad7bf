// The Windows-1252 character set tally files hold their texts in, one byte
// per character.
#pragma once

namespace woodtick {

// Every byte maps to one character; the five bytes the set leaves undefined
// map to the control characters of the same value.
char32_t Windows1252ToUnicode(unsigned char byte);
// The byte of a character; '?' for one the set cannot hold.
char UnicodeToWindows1252(char32_t c);

}  // namespace woodtick
