// recover on damaged files: it brings back the newest state that a save
// acknowledged and that still reads soundly, into a new file that real
// Metakit accepts, and never changes the damaged file.
#include "mk/recover.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/memory_file_system.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

// A file saved up to three times: made, grown by many records (the tails of the
// first state stay behind), and a count changed in place (the root walk of
// the second state stays behind); the dump after each save.
std::string BuildWithHistory(size_t saves, std::vector<std::string>* acknowledged) {
  MemoryFileSystem fs;
  std::unique_ptr<Storage> storage;
  EXPECT_TRUE(Storage::Open("h.mk", &storage, &fs).ok());
  View counts = storage->GetAs("Counts[Key:S,N:L]");
  counts.SetSize(10);
  View trees = storage->GetAs("Trees[Unit:S,Notes:S,Height:D]");
  auto add_trees = [&trees](int rows) {
    for (int k = 0; k < rows; ++k) {
      int r = trees.GetSize();
      trees.SetSize(r + 1);
      trees.SetString(r, 0, std::to_string(r % 9));
      trees.SetString(r, 1, std::string(30 + r % 40, static_cast<char>('a' + r % 26)));
      trees.SetDouble(r, 2, r * 0.25);
    }
  };
  const std::vector<std::function<void()>> changes = {
      [&] { add_trees(100); }, [&] { add_trees(2000); }, [&] { counts.SetLong(4, 1, 12); }};
  for (size_t k = 0; k < saves; ++k) {
    changes[k]();
    EXPECT_TRUE(storage->Commit().ok());
    acknowledged->push_back(DumpStorage(*storage));
  }
  return fs.GetFile("h.mk");
}

// The file offset of the root walk the file's own tails point to.
size_t RootWalkOf(const std::string& bytes) {
  const unsigned char* t = reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size() - 4;
  return static_cast<size_t>(t[0]) << 24 | t[1] << 16 | t[2] << 8 | t[3];
}

TEST(RecoverTest, DamagedFilesGiveTheirNewestSoundState) {
  auto overwrite_root_walk = [](std::string b) {
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(RootWalkOf(b)), 6, '\xff');
    return b;
  };
  struct Case {
    const char* name;
    size_t saves;
    std::function<std::string(std::string)> damage;
    int state;  // the acknowledged state it must bring back; -1: none reads soundly
  };
  const std::vector<Case> cases = {
      {"newest root walk overwritten, after a commit in place", 3, overwrite_root_walk, 1},
      {"newest root walk overwritten, after a commit that grew the file", 2, overwrite_root_walk,
       0},
      {"trailing mark that skips nothing", 3,
       [](std::string b) { return b + std::string("\x80\0\0\0\0\0\0\0", 8); }, 2},
      // The blocks of the states whose tails survive were reused since.
      {"cut short", 3, [](std::string b) { return b.substr(0, b.size() * 2 / 3); }, -1},
      {"not a datafile at all", 1, [](std::string) { return std::string(300, 't'); }, -1},
  };
  const std::string dir = MakeScratchDir("recover");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> acknowledged;
    const std::string damaged = c.damage(BuildWithHistory(c.saves, &acknowledged));
    MemoryFileSystem fs;
    fs.SetFile("damaged.mk", damaged);
    RecoveredState found;
    std::unique_ptr<Storage> storage;
    Status s = FindSoundState("damaged.mk", &fs, &found, &storage);
    ASSERT_EQ(s.ok(), c.state >= 0) << s.message();
    if (c.state < 0) continue;
    ASSERT_TRUE(storage->SaveCopy("out.mk", &fs).ok());
    EXPECT_FALSE(storage->SaveCopy("out.mk", &fs).ok()) << "an existing file was overwritten";
    EXPECT_EQ(fs.GetFile("damaged.mk"), damaged) << "the damaged file changed";
    Status read;
    std::string dump = DumpFile("out.mk", &read, &fs);
    ASSERT_TRUE(read.ok()) << read.message();
    auto which = std::find(acknowledged.begin(), acknowledged.end(), dump);
    ASSERT_NE(which, acknowledged.end()) << "not a state a save acknowledged";
    EXPECT_EQ(which - acknowledged.begin(), c.state);
    WriteBytes(dir + "/out.mk", fs.GetFile("out.mk"));
    ReferenceVerdict verdict;
    if (ReferenceCheck(dir + "/out.mk", &verdict)) {
      EXPECT_TRUE(verdict.accepted) << verdict.output;
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mk
