#include <cerrno>
#include <ostream>

#include "model/tally_file.h"
#include "platform/file_lock.h"
#include "tools/model_commands.h"

namespace woodtick {

int RunNew(const CliInput& input, std::ostream& out, std::ostream& err) {
  const std::string& file = input.operands.at(0);
  std::string message;
  int result = CreateTallyFile(file, &message);
  if (result == EEXIST) {
    err << file << " already exists"
        << (IsFileInUse(file) ? " and is in use by another application" : "")
        << "; it has not been changed.\n";
    return 1;
  }
  if (result != 0) {
    err << "Cannot create " << file << ": " << message << "\n";
    return 1;
  }
  out << "Created the tally file " << file << " (one unit, no populations; add them in Setup).\n";
  return 0;
}

}  // namespace woodtick
