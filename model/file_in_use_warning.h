// The one warning for a file that another program holds open: nothing was
// done with it, and the user is told how to go on.
#pragma once

#include <string>

#include "model/ui.h"

namespace woodtick {

inline void WarnFileInUse(Ui& ui, const std::string& file_name) {
  ui.Warn(file_name + " is in use by another application!\nClose it and try again.",
          "File Already Open");
}

}  // namespace woodtick
