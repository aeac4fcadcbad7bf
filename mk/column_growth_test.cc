// Columns that only grow: a commit writes about the rows added, the file
// reads back as the program holds it, and a commit stopped at any write or
// flush leaves the old state or the new one.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/carry_on.h"
#include "mk/testing/fault_injection_file_system.h"
#include "mk/testing/memory_file_system.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

using Fault = FaultInjectionFileSystem;

constexpr char kTable[] = "Trees[Num:S,Notes:S,Small:I,Wide:I,Count:L,Ratio:F,Size:D,Raw:B]";

// Row `r` of the table; `wide` puts values into Small and Num that no
// longer fit the widths of earlier rows.
void FillRow(View v, int r, bool wide = false) {
  std::mt19937 rng(r);
  v.SetString(r, 0, std::to_string(r % 10));
  if (r % 4 == 1)
    v.SetString(r, 1, std::string(r % 8 == 1 ? 180 : 30, static_cast<char>('a' + r % 26)));
  v.SetInt(r, 2, wide ? 1000 + r : r % 3);
  v.SetInt(r, 3, static_cast<int>(rng() % 60000) - 30000);
  v.SetLong(r, 4, static_cast<int64_t>(r) << 33);
  v.SetFloat(r, 5, 0.5f * r);
  v.SetDouble(r, 6, 1.25 * r);
  if (r % 3 == 0) v.SetBytes(r, 7, std::string(r % 5, '\x01'));
  if (wide) v.SetString(r, 0, std::string(40, 'w'));
}

std::string FreshDump(MemoryFileSystem& memory, const std::string& path) {
  MemoryFileSystem copy;
  copy.SetFile(path, memory.GetFile(path));
  Status s;
  std::string dump = DumpFile(path, &s, &copy);
  EXPECT_TRUE(s.ok()) << s.message();
  return dump;
}

TEST(ColumnGrowthTest, AppendsWriteAboutTheNewRowsAndReadBackWhole) {
  MemoryFileSystem memory;
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open("g.mk", &storage, &memory).ok());
  View v = storage->GetAs(kTable);
  v.SetSize(600);
  for (int r = 0; r < 600; ++r) FillRow(v, r);
  ASSERT_TRUE(storage->Commit().ok());
  int small = 0, appends = 0;
  uint64_t written = 0;
  for (int k = 0; k < 60; ++k) {
    int r = v.GetSize();
    v.SetSize(r + 1 + k % 2);
    for (int i = r; i < v.GetSize(); ++i) FillRow(v, i, k == 30);
    if (k == 45) v.SetString(7, 0, "changed");  // an old row: the column is written anew
    CommitStats stats;
    ASSERT_TRUE(storage->Commit(&stats).ok()) << k;
    ASSERT_EQ(FreshDump(memory, "g.mk"), DumpStorage(*storage)) << "commit " << k;
    // Once the columns have room after them, an append writes its own bytes,
    // the walks that point at the blocks and the tails; now and then a
    // column whose room ran out moves, with new room.
    if (k >= 2 && k != 30 && k != 31 && k != 45 && k != 46) {
      ++appends;
      written += stats.bytes_written;
      small += stats.bytes_written < 2000u ? 1 : 0;
    }
  }
  EXPECT_GE(small, appends * 9 / 10);
  EXPECT_LT(written / appends, 2500u);
  // The grown file still packs to the same content, and stays within twice
  // the packed size.
  size_t size = memory.GetFile("g.mk").size();
  memory.SetFile("p.mk", memory.GetFile("g.mk"));
  std::unique_ptr<Storage> packed;
  ASSERT_TRUE(Storage::Open("p.mk", &packed, &memory).ok());
  ASSERT_TRUE(packed->Pack().ok());
  EXPECT_EQ(FreshDump(memory, "p.mk"), FreshDump(memory, "g.mk"));
  EXPECT_LE(size, 2 * memory.GetFile("p.mk").size() + 4096);
}

// The engine's checker, linked to the real Metakit library, where present.
std::string Checker() {
  std::string tool = std::string(WOODTICK_TESTDATA) + "/../../shared/tools/metakit-reference";
  return access(tool.c_str(), X_OK) == 0 ? tool : "";
}

// A commit that grows every column in place, stopped at each of its writes
// and flushes in turn: the file then reads as before the commit or after it.
TEST(ColumnGrowthTest, CommitStoppedAnywhereLeavesOldOrNewContent) {
  std::string dir = MakeScratchDir("column-growth-crash");
  std::string base = dir + "/base.mk";
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(base, &storage).ok());
    View v = storage->GetAs(kTable);
    v.SetSize(500);
    for (int r = 0; r < 500; ++r) FillRow(v, r);
    ASSERT_TRUE(storage->Commit().ok());
    // Three appends: the first moves the columns to where they have room;
    // an odd number of rows leaves the last byte of each vector of 4-bit
    // entries half used, which the commit below fills.
    for (int k = 0; k < 3; ++k) {
      v.SetSize(v.GetSize() + 1);
      FillRow(v, v.GetSize() - 1);
      ASSERT_TRUE(storage->Commit().ok());
    }
  }
  // The change each commit below makes.
  auto append = [](Storage& storage) {
    View v = storage.GetView("Trees");
    int r = v.GetSize();
    v.SetSize(r + 1);
    FillRow(v, r);
    v.SetString(r, 1, std::string(200, 'm'));  // a memo note
  };
  Status s;
  const std::string old_dump = DumpFile(base, &s);
  ASSERT_TRUE(s.ok()) << s.message();
  std::string new_dump;
  // What the saves after a restart must leave, from either state.
  const std::vector<std::string> carry_on_old = CarryOnDumps(ReadBytes(base));
  std::vector<std::string> carry_on_new;
  {
    MemoryFileSystem memory;
    memory.SetFile("m.mk", ReadBytes(base));
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open("m.mk", &storage, &memory).ok());
    append(*storage);
    new_dump = DumpStorage(*storage);
    ASSERT_TRUE(storage->Commit().ok());
    carry_on_new = CarryOnDumps(memory.GetFile("m.mk"));
  }
  ASSERT_NE(new_dump, old_dump);
  const std::string checker = Checker();
  struct Mode {
    Fault::Tear tear;
    bool drop_unsynced;
  };
  // Writes of up to a sector reach the disk whole or not at all.
  for (Mode mode : {Mode{Fault::Tear::kNone, false}, Mode{Fault::Tear::kNone, true},
                    Mode{Fault::Tear::kSectors, false}}) {
    for (int ops = 0;; ++ops) {
      std::string path = dir + "/t.mk";
      WriteBytes(path, ReadBytes(base));
      Fault fault;
      std::unique_ptr<Storage> storage;
      ASSERT_TRUE(Storage::Open(path, &storage, &fault).ok());
      append(*storage);
      fault.ResetCounters();
      fault.StopAfter(ops, Fault::Error::kCrash, mode.tear, mode.drop_unsynced);
      Status commit = storage->Commit();
      bool done = !fault.fired();
      fault.Disarm();
      if (done) {
        ASSERT_TRUE(commit.ok()) << commit.message();
        // The growing commit wrote the new rows' bytes, not the columns.
        EXPECT_LT(fault.bytes_written(), 2000u);
        EXPECT_EQ(DumpStorage(*storage), new_dump);
      }
      std::string dump = DumpFile(path, &s);
      ASSERT_TRUE(s.ok()) << "stopped after " << ops << ", tear " << static_cast<int>(mode.tear)
                          << ": " << s.message();
      if (done) {
        EXPECT_EQ(dump, new_dump);
      } else {
        EXPECT_TRUE(dump == old_dump || dump == new_dump)
            << "stopped after " << ops << " operations, tear " << static_cast<int>(mode.tear);
      }
      if (!checker.empty()) {
        EXPECT_EQ(std::system((checker + " check " + path + " > /dev/null").c_str()), 0)
            << "stopped after " << ops;
      }
      if (done) break;
      ASSERT_LT(ops, 100);
      // The interrupted commit may have left bytes beside blocks the old
      // state still uses: the saves after a restart must not take them up.
      {
        EXPECT_EQ(CarryOn(path, DefaultFileSystem(), dump == old_dump ? carry_on_old : carry_on_new,
                          [&path](int step) { return CarryOnStepInNewProcess(path, step); }),
                  "")
            << "stopped after " << ops << " operations, tear " << static_cast<int>(mode.tear);
      }
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mk
