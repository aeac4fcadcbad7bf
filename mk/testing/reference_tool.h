// Runs `metakit-reference check`, the checker linked with the real Metakit
// library, on a file: what the engine leaves on disk must stay usable by
// other Metakit software. The tool is not part of the project; callers skip
// what needs it when it is absent.
#pragma once

#include <string>

namespace mk {

struct ReferenceVerdict {
  bool accepted = false;
  int exit_code = -1;
  std::string output;  // the tool's stdout and stderr
};

// The tool's path: $METAKIT_REFERENCE, else the shared tools folder beside
// the source tree; "" when neither exists.
std::string ReferenceToolPath();

// Runs `check` on `path`; false when the tool is missing.
bool ReferenceCheck(const std::string& path, ReferenceVerdict* verdict);

}  // namespace mk
