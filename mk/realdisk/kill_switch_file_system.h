// The real POSIX file system, with a switch for crash tests in a child
// process: just before its K-th write, flush or truncation (counted over
// every file it opened) the process kills itself with SIGKILL, or that one
// operation fails as on a full disk. Nothing is simulated after the switch:
// what the file holds is what the kernel has.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mk/file_system.h"

namespace mk {

class KillSwitchFileSystem : public FileSystem {
 public:
  // kFailNoSpace fails the one operation; kDiskFull that one and all after.
  enum class Action { kKill, kFailNoSpace, kDiskFull };
  enum class Op { kWrite, kSync, kTruncate };

  // `at` counts from the next operation, 1-based; 0 disarms.
  void Arm(int at, Action action);
  // Operations performed (or stopped) since the last Arm, oldest first.
  const std::vector<Op>& ops() const { return ops_; }

  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override;

  // Called by the files before each mutating operation; false: fail it.
  bool Admit(Op op);

 private:
  int at_ = 0;
  std::vector<Op> ops_;
  Action action_ = Action::kKill;
};

}  // namespace mk
