// How the store tells people about trouble without showing a window itself:
// the screens implement this with message boxes, tests record the calls.
#pragma once

#include <string>

namespace woodtick {

class StoreReporter {
 public:
  virtual ~StoreReporter() = default;
  // The internal-error box: warning icon, OK button, titled "Woodtick".
  virtual void InternalError(const std::string& text) = 0;
  // A commit did not reach the file; the data is still held in memory and
  // the next commit writes it again.
  virtual void CommitFailed(const std::string& text) = 0;
  // A commit found the held file gone from its path (deleted, renamed,
  // replaced) and wrote nothing; the data is still held in memory.
  virtual void FileMoved(const std::string& text) { CommitFailed(text); }
};

}  // namespace woodtick
