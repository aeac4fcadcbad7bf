// Text made safe to print: the escaping of the canonical dump, and short
// quotes of names and texts for messages (a damaged file's names may hold
// control bytes or run to megabytes).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mk {

// Appends `text` with every byte below 0x20 or above 0x7E, the backslash and
// any byte of `also` written as "\x" and two upper-case hex digits.
void AppendEscaped(std::string_view text, std::string_view also, std::string* out);

// `text` escaped and in single quotes, cut to about `limit` bytes with "...".
std::string Quoted(std::string_view text, size_t limit = 60);

}  // namespace mk
