// Commits under injected faults: whatever point a commit stops at, the file
// must reopen as the old state or the new one, in place, and a storage whose
// commit failed must still be able to save everything later.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/carry_on.h"
#include "mk/testing/fault_injection_file_system.h"
#include "mk/testing/memory_file_system.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

using Fault = FaultInjectionFileSystem;

const std::string kTestData = WOODTICK_TESTDATA "/mk/";

std::unique_ptr<Storage> OpenOrDie(const std::string& path, FileSystem* fs = DefaultFileSystem()) {
  std::unique_ptr<Storage> storage;
  Status s = Storage::Open(path, &storage, fs);
  EXPECT_TRUE(s.ok()) << s.message();
  return storage;
}

std::string Dump(const std::string& path) {
  Status s;
  std::string dump = DumpFile(path, &s);
  EXPECT_TRUE(s.ok()) << s.message();
  return dump;
}

uint64_t InodeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string Text(std::mt19937& rng, int max_len) {
  std::string s(std::uniform_int_distribution<int>(0, max_len)(rng), ' ');
  for (char& c : s) c = static_cast<char>('a' + rng() % 26);
  return s;
}

// Fills `view` (fields Unit:S,Num:S,Notes:S,Count:L) with `rows` rows.
void AddTreeRows(View view, int rows, unsigned seed) {
  std::mt19937 rng(seed);
  int first = view.GetSize();
  view.SetSize(first + rows);
  for (int r = first; r < first + rows; ++r) {
    view.SetString(r, 0, std::to_string(r % 7));
    view.SetString(r, 1, std::to_string(r));
    view.SetString(r, 2, r % 5 == 0 ? Text(rng, 350) : Text(rng, 12));
    view.SetLong(r, 3, static_cast<int64_t>(rng()) << 8);
  }
}

constexpr char kTrees[] = "Trees[Unit:S,Num:S,Notes:S,Count:L]";

// A file with a data table, and free space near its start left by a view
// that was dropped.
void BuildFileWithFreeSpace(const std::string& path) {
  auto storage = OpenOrDie(path);
  View scratch = storage->GetAs("Scratch[Text:S]");
  scratch.SetSize(30);
  for (int r = 0; r < 30; ++r) scratch.SetString(r, 0, std::string(100, 'w'));
  AddTreeRows(storage->GetAs(kTrees), 150, 1);
  storage->GetAs("Globals[Block:S,Key:S,Value:S]").SetSize(3);
  ASSERT_TRUE(storage->Commit().ok());
  storage->GetAs("Scratch");
  ASSERT_TRUE(storage->Commit().ok());
}

constexpr int kTallyRows = 20;
constexpr int kUnitColumns = 40;

// The program's in-memory copies of every view of a file.
std::vector<std::pair<std::string, View>> TallyCopies(Storage& storage) {
  std::vector<std::pair<std::string, View>> copies;
  for (const std::string& name : storage.ViewNames()) {
    View view = storage.GetView(name);
    View copy = view.Clone();
    copy.InsertRowsAt(0, view);
    copies.emplace_back(name, copy);
  }
  return copies;
}

// The tally pattern: one count goes up, and every view's rows are replaced
// by the program's copies.
void ReplaceRows(Storage& storage, const std::vector<std::pair<std::string, View>>& copies, int k) {
  for (const auto& [name, copy] : copies) {
    if (name == "Tally") {
      View tally = copy;  // a handle to the same rows
      int row = k % kTallyRows, col = 1 + k % kUnitColumns;
      tally.SetLong(row, col, tally.GetLong(row, col) + 1);
    }
    View view = storage.GetView(name);
    view.SetSize(0);
    view.InsertRowsAt(0, copy);
  }
}

std::string TallyFields() {
  std::string fields = "Tally[Key:S";
  for (int u = 0; u < kUnitColumns; ++u) fields += ",U" + std::to_string(u) + ":L";
  return fields + "]";
}

// A tally file as a few tallies leave it: a data table, and a Tally view
// that every commit changes.
void BuildTallyFile(const std::string& path, FileSystem* fs = DefaultFileSystem(),
                    int tree_rows = 200) {
  {
    auto storage = OpenOrDie(path, fs);
    View tally = storage->GetAs(TallyFields());
    tally.SetSize(kTallyRows);
    for (int r = 0; r < kTallyRows; ++r) tally.SetString(r, 0, std::string(1, 'A' + r));
    AddTreeRows(storage->GetAs(kTrees), tree_rows, 6);
    ASSERT_TRUE(storage->Commit().ok());
  }
  for (int k = 0; k < 4; ++k) {
    auto storage = OpenOrDie(path, fs);
    ReplaceRows(*storage, TallyCopies(*storage), k);
    ASSERT_TRUE(storage->Commit().ok());
  }
}

void CopyFixture(const std::string& name, const std::string& path) {
  WriteBytes(path, ReadBytes(kTestData + name));
}

// One kind of commit: how the file looks before, and what is changed.
struct Scenario {
  std::string name;
  std::function<void(const std::string& path)> prepare;
  std::function<void(Storage&)> change;
  bool pack = false;  // save with Pack() instead of Commit()
  bool fits = false;  // the change fits into the file's free space
  // The commit writes its blocks into free space, flushes, overwrites the
  // commit tail in place and flushes again: two flushes, no truncation.
  bool in_place = false;
};

void PrintTo(const Scenario& sc, std::ostream* os) { *os << sc.name; }

Status Save(const Scenario& sc, Storage& storage) {
  return sc.pack ? storage.Pack() : storage.Commit();
}

std::vector<Scenario> Scenarios() {
  std::vector<Scenario> list;
  list.push_back({"FittingCommit", BuildFileWithFreeSpace,
                  [](Storage& s) { s.GetView("Trees").SetLong(7, 3, 42); }, false, true, true});
  list.push_back({"TallyPatternCommit", [](const std::string& p) { BuildTallyFile(p); },
                  [](Storage& s) { ReplaceRows(s, TallyCopies(s), 99); }, false, true, true});
  list.push_back({"MetakitFileCommit", [](const std::string& p) { CopyFixture("recommit.mk", p); },
                  [](Storage& s) {
                    View log = s.GetView("Log");
                    log.SetString(0, 1, "changed");
                    log.SetInt(1, 0, 1 << 20);
                  }});
  list.push_back({"GrowingCommit", BuildFileWithFreeSpace,
                  [](Storage& s) { AddTreeRows(s.GetView("Trees"), 300, 2); }});
  list.push_back({"FirstCommit", [](const std::string&) {},
                  [](Storage& s) {
                    AddTreeRows(s.GetAs(kTrees), 30, 3);
                    View g = s.GetAs("Globals[Block:S,Key:S,Value:S]");
                    g.SetSize(1);
                    g.SetString(0, 2, "2005.05.03");
                  }});
  list.push_back({"Restructure", [](const std::string& p) { CopyFixture("sample.tal", p); },
                  [](Storage& s) {
                    s.GetAs("Trees[Unit:I,Num:S,Height:D,Extra:S]");
                    s.GetAs("Plots[Plot:S,Area:F]").SetSize(2);
                    s.GetAs("Buffer");  // dropped
                  }});
  list.push_back({"Pack", BuildFileWithFreeSpace, [](Storage&) {}, true});
  list.push_back({"PackAfterOtherContent",
                  [](const std::string& p) {
                    BuildFileWithFreeSpace(p);
                    WriteBytes(p, std::string(1017, '#') + ReadBytes(p));
                  },
                  [](Storage&) {}, true});
  list.push_back({"PackMetakitFile", [](const std::string& p) { CopyFixture("recommit.mk", p); },
                  [](Storage&) {}, true});
  list.push_back({"ShrinkingCommit",
                  [](const std::string& p) {
                    auto storage = OpenOrDie(p);
                    AddTreeRows(storage->GetAs(kTrees), 600, 4);
                    ASSERT_TRUE(storage->Commit().ok());
                  },
                  [](Storage& s) { s.GetView("Trees").RemoveAt(2, 590); }});
  return list;
}

class CommitSafetyTest : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("commit-safety");
    base_ = dir_ + "/base.mk";
    GetParam().prepare(base_);
    old_dump_ = Dump(base_);
    old_bytes_ = ReadBytes(base_);
    // A fault-free run on the disk gives the new state and the number of
    // operations; the runs with faults then work in memory, where flushes
    // cost nothing.
    std::string path = dir_ + "/clean.mk";
    WriteBytes(path, old_bytes_);
    Fault fs;
    auto storage = OpenOrDie(path, &fs);
    GetParam().change(*storage);
    uint64_t inode = InodeOf(path);
    ASSERT_TRUE(Save(GetParam(), *storage).ok());
    EXPECT_EQ(InodeOf(path), inode) << "the commit replaced the file";
    events_ = fs.events();
    new_dump_ = Dump(path);
    carry_on_ = CarryOnDumps(ReadBytes(path));
    if (GetParam().fits) {
      ASSERT_LE(std::filesystem::file_size(path), old_bytes_.size()) << "the commit did not fit";
    }
    if (GetParam().in_place) {
      ASSERT_EQ(fs.syncs(), 2);
      ASSERT_EQ(fs.truncates(), 0);
      ASSERT_EQ(events_.back().op, Fault::Op::kSync);
      const Fault::Event& tail = events_[events_.size() - 2];
      ASSERT_EQ(tail.offset + tail.size, old_bytes_.size()) << "not the commit tail";
      ASSERT_EQ(tail.size, 8u);
    }
    if (!GetParam().pack) {
      ASSERT_FALSE(old_dump_ == new_dump_) << "scenario changes nothing";
    }
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A copy of the prepared file, in memory.
  std::string Fresh(const std::string& name) {
    memory_.SetFile(name, old_bytes_);
    return name;
  }

  std::string DumpInMemory(const std::string& path) {
    Status s;
    std::string dump = DumpFile(path, &s, &memory_);
    EXPECT_TRUE(s.ok()) << s.message();
    return dump;
  }

  // Reopens a file a fault left behind: it must hold the old or new state,
  // another commit must bring it to the new state, and every kind of save
  // after that must keep it sound.
  void CheckAfterFault(const std::string& path, const std::string& what) {
    SCOPED_TRACE(what);
    Status s;
    std::string dump = DumpFile(path, &s, &memory_);
    ASSERT_TRUE(s.ok()) << s.message();
    if (what.rfind("torn in half", 0) != 0) ExpectMetakitAccepts(memory_.GetFile(path));
    if (dump != new_dump_) {
      ASSERT_TRUE(dump == old_dump_) << "neither old nor new state";
      auto storage = OpenOrDie(path, &memory_);
      ASSERT_TRUE(storage);
      GetParam().change(*storage);
      Status saved = Save(GetParam(), *storage);
      ASSERT_TRUE(saved.ok()) << saved.message();
      EXPECT_TRUE(DumpInMemory(path) == new_dump_) << "a commit after the fault lost data";
    }
    EXPECT_EQ(CarryOn(path, &memory_, carry_on_), "");
  }

  // Other Metakit software must be able to use the file too (checked when
  // metakit-reference is there). Each distinct image is checked once.
  // Not after a write torn in half: a disk writes a sector whole, and the
  // first write of a growing commit (32 bytes within one sector) then
  // leaves marks past the tails, which lead our reader and Metakit to the
  // old state but which Metakit's own next commit would leave in place.
  void ExpectMetakitAccepts(const std::string& bytes) {
    if (!checked_.insert(bytes).second) return;
    std::string copy = dir_ + "/reference.mk";
    WriteBytes(copy, bytes);
    ReferenceVerdict verdict;
    if (!ReferenceCheck(copy, &verdict)) return;
    EXPECT_TRUE(verdict.accepted) << "metakit-reference: " << verdict.output;
  }

  std::string dir_, base_, old_dump_, new_dump_, old_bytes_;
  std::vector<std::string> carry_on_;      // what the saves after the new state leave
  std::vector<std::string> old_carry_on_;  // and after the old one
  std::set<std::string> checked_;
  std::vector<Fault::Event> events_;
  MemoryFileSystem memory_;
};

TEST_P(CommitSafetyTest, CrashAtAnyPointLeavesOldOrNewState) {
  ASSERT_FALSE(events_.empty());
  for (size_t k = 0; k < events_.size(); ++k) {
    bool write = events_[k].op == Fault::Op::kWrite;
    struct Mode {
      const char* name;
      Fault::Tear tear;
      bool drop_unsynced;
    };
    std::vector<Mode> modes = {{"stop", Fault::Tear::kNone, false},
                               {"power cut", Fault::Tear::kNone, true}};
    if (write) {
      modes.push_back({"torn at a sector", Fault::Tear::kSectors, false});
      // Tails and headers are single sectors that a disk writes whole; the
      // blocks around them may be torn anywhere.
      if (events_[k].size > 16) modes.push_back({"torn in half", Fault::Tear::kHalf, false});
    }
    for (const Mode& mode : modes) {
      std::string what = std::string(mode.name) + " before operation " + std::to_string(k);
      std::string path = Fresh("crash.mk");
      Fault fs(&memory_);
      auto storage = OpenOrDie(path, &fs);
      ASSERT_TRUE(storage);
      GetParam().change(*storage);
      fs.StopAfter(static_cast<int>(k), Fault::Error::kCrash, mode.tear, mode.drop_unsynced);
      EXPECT_FALSE(Save(GetParam(), *storage).ok()) << what;
      EXPECT_TRUE(fs.fired()) << what;
      storage.reset();
      CheckAfterFault(path, what);
    }
  }
}

TEST_P(CommitSafetyTest, FailedCommitKeepsFileAndDataForALaterCommit) {
  old_carry_on_ = CarryOnDumps(old_bytes_);
  for (size_t k = 0; k < events_.size(); ++k) {
    for (Fault::Error error : {Fault::Error::kNoSpace, Fault::Error::kIo}) {
      std::string what = Fault::ErrorText(error) + " at operation " + std::to_string(k);
      SCOPED_TRACE(what);
      std::string path = Fresh("fail.mk");
      Fault fs(&memory_);
      auto storage = OpenOrDie(path, &fs);
      ASSERT_TRUE(storage);
      GetParam().change(*storage);
      Fault::Tear tear = error == Fault::Error::kIo ? Fault::Tear::kHalf : Fault::Tear::kNone;
      fs.StopAfter(static_cast<int>(k), error, tear);
      Status failed = Save(GetParam(), *storage);
      ASSERT_FALSE(failed.ok());
      EXPECT_NE(failed.message().find(path), std::string::npos) << failed.message();
      EXPECT_TRUE(DumpStorage(*storage) == new_dump_) << "the failure lost data in memory";
      std::string dump = DumpInMemory(path);
      // Only a failure after the new state became durable may leave it.
      EXPECT_TRUE(dump == old_dump_ || dump == new_dump_);
      if (error == Fault::Error::kNoSpace) ExpectMetakitAccepts(memory_.GetFile(path));
      // The program is closed without saving and started again.
      memory_.SetFile("restart.mk", memory_.GetFile(path));
      EXPECT_EQ(CarryOn("restart.mk", &memory_, dump == new_dump_ ? carry_on_ : old_carry_on_), "");
      fs.Disarm();
      Status saved = Save(GetParam(), *storage);
      ASSERT_TRUE(saved.ok()) << saved.message();
      EXPECT_TRUE(DumpInMemory(path) == new_dump_) << "the later commit lost data";
      if (error == Fault::Error::kNoSpace) ExpectMetakitAccepts(memory_.GetFile(path));
    }
  }
}

TEST_P(CommitSafetyTest, CommitFlushesAfterItsLastWrite) {
  int last_write = -1, last_sync = -1;
  for (size_t i = 0; i < events_.size(); ++i) {
    if (events_[i].op == Fault::Op::kSync) {
      last_sync = static_cast<int>(i);
    } else {
      last_write = static_cast<int>(i);
    }
  }
  EXPECT_GT(last_sync, last_write) << "a write or truncation is never flushed";

  // A second commit without changes has nothing to write.
  std::string path = Fresh("idle.mk");
  Fault fs(&memory_);
  auto storage = OpenOrDie(path, &fs);
  GetParam().change(*storage);
  ASSERT_TRUE(Save(GetParam(), *storage).ok());
  fs.ResetCounters();
  ASSERT_TRUE(storage->Commit().ok());
  EXPECT_EQ(fs.writes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Commits, CommitSafetyTest, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return info.param.name; });

class CommitFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("commit-failure");
    path_ = dir_ + "/tally.mk";
    BuildFileWithFreeSpace(path_);
    old_dump_ = Dump(path_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_, path_, old_dump_;
};

TEST_F(CommitFailureTest, RemovedFileFailsUntilItIsBack) {
  auto storage = OpenOrDie(path_);
  AddTreeRows(storage->GetView("Trees"), 20, 9);
  std::string new_dump = DumpStorage(*storage);
  std::string away = dir_ + "/moved.mk";
  std::filesystem::rename(path_, away);
  Status failed = storage->Commit();
  EXPECT_FALSE(failed.ok());
  EXPECT_NE(failed.message().find(path_), std::string::npos) << failed.message();
  EXPECT_FALSE(std::filesystem::exists(path_)) << "a commit recreated a removed file";
  EXPECT_TRUE(Dump(away) == old_dump_);
  std::filesystem::rename(away, path_);
  ASSERT_TRUE(storage->Commit().ok());
  EXPECT_TRUE(Dump(path_) == new_dump);
}

TEST_F(CommitFailureTest, UnwritableFileFailsUntilWritable) {
  Fault fs;
  auto storage = OpenOrDie(path_, &fs);
  storage->GetView("Trees").SetString(0, 2, "after the fault");
  std::string new_dump = DumpStorage(*storage);
  fs.FailOpen(Fault::Error::kAccess);
  Status failed = storage->Commit();
  EXPECT_FALSE(failed.ok());
  EXPECT_NE(failed.message().find(path_), std::string::npos) << failed.message();
  EXPECT_TRUE(Dump(path_) == old_dump_);
  fs.Disarm();
  ASSERT_TRUE(storage->Commit().ok());
  EXPECT_TRUE(Dump(path_) == new_dump);
}

// Tally-pattern commits on a file in memory: the flushes each took, and the
// file's size after each.
struct CommitRun {
  std::vector<int> flushes;
  std::vector<size_t> sizes;
  std::string path = "tally.mk";
  MemoryFileSystem memory;
};

// `new_rows`: a data-table row is added before every commit, so its columns
// grow and move each time.
void RunTallyCommits(int commits, bool new_rows, CommitRun* run, int tree_rows = 200) {
  BuildTallyFile(run->path, &run->memory, tree_rows);
  std::vector<std::pair<std::string, View>> copies;
  {
    auto storage = OpenOrDie(run->path, &run->memory);
    copies = TallyCopies(*storage);
  }
  Fault fs(&run->memory);
  for (int k = 0; k < commits; ++k) {
    if (new_rows) {
      for (auto& [name, copy] : copies) {
        if (name == "Trees") AddTreeRows(copy, 1, k);
      }
    }
    auto storage = OpenOrDie(run->path, &fs);
    ReplaceRows(*storage, copies, k);
    fs.ResetCounters();
    Status s = storage->Commit();
    ASSERT_TRUE(s.ok()) << "commit " << k << ": " << s.message();
    run->flushes.push_back(fs.syncs());
    run->sizes.push_back(run->memory.GetFile(run->path).size());
  }
  auto storage = OpenOrDie(run->path, &run->memory);
  for (const auto& [name, copy] : copies) {
    View view = storage->GetView(name);
    ASSERT_EQ(view.GetSize(), copy.GetSize());
    for (int r = 0; r < view.GetSize(); ++r) {
      ASSERT_EQ(DumpRow(view, r, '\t'), DumpRow(copy, r, '\t')) << name << " row " << r;
    }
  }
}

// A flush costs milliseconds. Once settled (the first few commits after a
// packed image find no free space), a tally commit takes the two flushes a
// safe commit needs, and the file stops growing.
// The first write of a commit that grows the file (two marks and the
// tails, 32 bytes) lies within one 512-byte sector, which a disk writes
// whole, wherever the file's end falls.
TEST(CommitFlushTest, FirstWriteOfAGrowingCommitStaysInOneSector) {
  MemoryFileSystem memory;
  const std::string dir = MakeScratchDir("sector");
  BuildFileWithFreeSpace(dir + "/base.mk");
  const std::string base = ReadBytes(dir + "/base.mk");
  std::filesystem::remove_all(dir);
  for (int prefix = 0; prefix < 512; prefix += 8) {
    SCOPED_TRACE("after " + std::to_string(prefix) + " bytes of other content");
    memory.SetFile("grow.mk", std::string(static_cast<size_t>(prefix), '#') + base);
    Fault fs(&memory);
    auto storage = OpenOrDie("grow.mk", &fs);
    AddTreeRows(storage->GetView("Trees"), 200, 9);
    ASSERT_TRUE(storage->Commit().ok());
    const Fault::Event& first = fs.events().front();
    ASSERT_EQ(first.op, Fault::Op::kWrite);
    EXPECT_EQ(first.offset / 512, (first.offset + first.size - 1) / 512);
  }
}

TEST(CommitFlushTest, TallyPatternCommitsSettleOnTwoFlushes) {
  constexpr int kSettled = 10;
  CommitRun run;
  RunTallyCommits(300, false, &run);
  for (size_t k = kSettled; k < run.flushes.size(); ++k) {
    ASSERT_EQ(run.flushes[k], 2) << "commit " << k;
    ASSERT_EQ(run.sizes[k], run.sizes[kSettled - 1]) << "commit " << k;
  }
}

// A data table that gains a row with every commit: each commit rewrites
// nearly every block, so the file must hold two copies of them. Within
// twice its packed size, most commits still fit into the space of the copy
// before last, and packing stays occasional.
TEST(CommitFlushTest, GrowingDataTableMostlyCommitsInPlace) {
  CommitRun run;
  RunTallyCommits(400, true, &run, 2000);
  int more = 0, total = 0;
  for (size_t k = 10; k < run.flushes.size(); ++k) {
    more += run.flushes[k] > 2 ? 1 : 0;
    total += run.flushes[k];
  }
  EXPECT_LE(more, 80) << "of " << run.flushes.size() - 10;
  EXPECT_LT(total, 2.5 * (run.flushes.size() - 10));
  size_t largest = *std::max_element(run.sizes.begin(), run.sizes.end());
  run.memory.SetFile("packed.mk", run.memory.GetFile(run.path));
  auto packed = OpenOrDie("packed.mk", &run.memory);
  ASSERT_TRUE(packed->Pack().ok());
  size_t packed_size = run.memory.GetFile("packed.mk").size();
  EXPECT_LE(largest, 2 * packed_size + 4096) << "packed: " << packed_size;
}

// The file system keeps this quick: the size is the allocator's business.
TEST(CommitSizeTest, ThousandCommitsStayWithinTwicePackedSize) {
  MemoryFileSystem fs;
  auto dump_of = [&fs](const std::string& path) {
    Status s;
    std::string dump = DumpFile(path, &s, &fs);
    EXPECT_TRUE(s.ok()) << s.message();
    return dump;
  };
  auto storage = OpenOrDie("tally.mk", &fs);
  View trees = storage->GetAs(kTrees);
  AddTreeRows(trees, 40, 5);
  std::mt19937 rng(7);
  for (int i = 0; i < 1000; ++i) {
    int rows = trees.GetSize();
    int r = static_cast<int>(rng() % rows);
    trees.SetString(r, 2, Text(rng, i % 10 == 0 ? 2000 : 300));
    trees.SetLong(r, 3, i);
    if (i % 7 == 0 && rows < 60) AddTreeRows(trees, 3, i);
    if (i % 11 == 0 && rows > 20) trees.RemoveAt(0, 2);
    Status s = storage->Commit();
    ASSERT_TRUE(s.ok()) << "commit " << i << ": " << s.message();
  }
  fs.SetFile("packed.mk", fs.GetFile("tally.mk"));
  auto copy = OpenOrDie("packed.mk", &fs);
  ASSERT_TRUE(copy->Pack().ok());
  EXPECT_TRUE(dump_of("packed.mk") == dump_of("tally.mk"));
  size_t size = fs.GetFile("tally.mk").size();
  size_t packed_size = fs.GetFile("packed.mk").size();
  EXPECT_LE(size, 2 * packed_size + 4096) << "packed: " << packed_size;
}

}  // namespace
}  // namespace mk
