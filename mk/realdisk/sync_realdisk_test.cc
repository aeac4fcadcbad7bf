// A save is acknowledged only once it is on the disk: every flush a commit
// makes must reach the system call that forces the data out, on a real
// file. The test binary puts its own fdatasync in front of the C library's
// to count the calls.
#include <dlfcn.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "mk/realdisk/kill_switch_file_system.h"
#include "mk/storage.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace {
std::atomic<int> real_flushes{0};
}  // namespace

extern "C" int fdatasync(int fd) {
  ++real_flushes;
  static auto* const real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
  return real(fd);
}

namespace mk {
namespace {

TEST(RealDiskSyncTest, EveryFlushOfASaveReachesTheDisk) {
  const std::string dir = MakeScratchDir("sync");
  const std::string path = dir + "/tally.tal";
  KillSwitchFileSystem fs;
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open(path, &storage, &fs).ok());
  struct Save {
    const char* name;
    std::function<void(Storage&)> change;
    bool pack;
  };
  const std::vector<Save> saves = {
      {"first", [](Storage& s) { s.GetAs("Tally[Key:S,N:L]").SetSize(20); }, false},
      {"count", [](Storage& s) { s.GetView("Tally").SetLong(3, 1, 7); }, false},
      {"records",
       [](Storage& s) {
         View trees = s.GetAs("Trees[Notes:S]");
         trees.SetSize(400);
         for (int r = 0; r < 400; ++r) trees.SetString(r, 0, std::string(50, 'n'));
       },
       false},
      {"pack", [](Storage&) {}, true},
  };
  for (const Save& save : saves) {
    SCOPED_TRACE(save.name);
    save.change(*storage);
    fs.Arm(0, KillSwitchFileSystem::Action::kKill);
    const int before = real_flushes;
    ASSERT_TRUE((save.pack ? storage->Pack() : storage->Commit()).ok());
    int flushes = 0;
    for (KillSwitchFileSystem::Op op : fs.ops()) flushes += op == KillSwitchFileSystem::Op::kSync;
    EXPECT_GT(flushes, 0);
    EXPECT_EQ(real_flushes - before, flushes);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mk
