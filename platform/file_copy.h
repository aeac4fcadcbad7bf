// Copying a file without overwriting the target: templates are made this way
// so an existing tally file is never replaced.
#pragma once

#include <string>

namespace woodtick {

// Copies `from` to a new file `to`, flushed to disk before it returns.
// 0 on success; EEXIST when `to` exists already (it is left untouched);
// another errno value for any other failure (a partial target is removed).
[[nodiscard]] int CopyFileNoOverwrite(const std::string& from, const std::string& to);

}  // namespace woodtick
