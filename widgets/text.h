// The one place where texts cross between the model (8-bit Windows-1252
// bytes, as the tally file holds them) and Qt (UTF-16).
#pragma once

#include <QString>
#include <string>

namespace woodtick {

// Every byte maps to one character; the five bytes Windows-1252 leaves
// undefined map to the control characters of the same value, so any byte
// string comes back unchanged from FromQString.
QString ToQString(const std::string& text);

// Characters Windows-1252 cannot hold become "?".
std::string FromQString(const QString& text);

}  // namespace woodtick
