// File names as the screens show them. Names are kept as the file system's
// bytes (so any file can be opened again); for display they are decoded
// from its encoding, UTF-8, into the Windows-1252 texts of the messages.
#pragma once

#include <string>
#include <string_view>

namespace woodtick {

// Valid UTF-8 sequences become their characters ("?" for one Windows-1252
// cannot hold); a byte that is not part of one (a name written in Latin-1 or
// Windows-1252) stands for itself.
std::string FileNameText(std::string_view file_name);

// The part of a path after its last "/" (the whole path without one).
std::string_view BaseName(std::string_view path);

}  // namespace woodtick
