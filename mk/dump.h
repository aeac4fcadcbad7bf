// The canonical dump of a datafile: its structure and every cell as text, in
// a form that does not depend on how the file lays out its bytes.
#pragma once

#include <string>

#include "mk/storage.h"
#include "mk/view.h"

namespace mk {

// The whole storage, every line ending in LF.
std::string DumpStorage(const Storage& storage);

// One row of a view: its cells separated by `separator`.
std::string DumpRow(const View& view, int row, char separator);

}  // namespace mk
