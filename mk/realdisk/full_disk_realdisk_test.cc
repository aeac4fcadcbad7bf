// A real full disk: a small tmpfs (mounted when the test runs as root),
// filled by the file's own growth and by another file. Saves that fail
// leave the file as it was (for our reader and for real Metakit), the
// storage keeps every change, and once a little room is freed (far less
// than the file's size) the next save writes them all.
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/carry_on.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

constexpr int kDiskKiB = 512;

class FullDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a small tmpfs";
    dir_ = MakeScratchDir("full-disk");
    std::string options = "size=" + std::to_string(kDiskKiB) + "k";
    if (mount("tmpfs", dir_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      std::string why = std::strerror(errno);
      std::filesystem::remove_all(dir_);
      dir_.clear();
      GTEST_SKIP() << "cannot mount a tmpfs: " << why;
    }
    path_ = dir_ + "/tally.tal";
    filler_ = dir_ + "/filler";
  }
  void TearDown() override {
    if (dir_.empty()) return;
    umount2(dir_.c_str(), MNT_DETACH);
    std::filesystem::remove_all(dir_);
  }

  // Writes the filler until the disk is full; returns its size.
  uint64_t FillDisk() {
    std::ofstream out(filler_, std::ios::binary | std::ios::app);
    std::string chunk(4096, 'f');
    while (out.write(chunk.data(), chunk.size()) && out.flush()) {
    }
    out.close();
    return std::filesystem::file_size(filler_);
  }

  void Free(uint64_t bytes) {
    uint64_t size = std::filesystem::file_size(filler_);
    std::filesystem::resize_file(filler_, size > bytes ? size - bytes : 0);
  }

  void ExpectFileHolds(const std::string& dump, const std::string& what) {
    SCOPED_TRACE(what);
    Status s;
    EXPECT_EQ(DumpFile(path_, &s), dump) << s.message();
    ReferenceVerdict verdict;
    if (ReferenceCheck(path_, &verdict)) {
      EXPECT_TRUE(verdict.accepted) << verdict.output;
    }
  }

  std::string dir_, path_, filler_;
};

// The tally pattern: counts go up, and now and then a data record is
// added. The bulk of the file (Trees) does not change.
void Tally(Storage& storage, int k, bool records = true) {
  View counts = storage.GetView("Counts");
  int row = k % counts.GetSize();
  counts.SetLong(row, 1, counts.GetLong(row, 1) + 1);
  if (records && k % 4 == 0) {
    View data = storage.GetView("Records");
    int r = data.GetSize();
    data.SetSize(r + 1);
    data.SetString(r, 0, "unit " + std::to_string(k));
    data.SetString(r, 1, std::string(30 + k % 50, 'h'));
  }
}

// What saving `storage` writes to the file as it is now: the same save,
// on a copy outside the small disk.
uint64_t BytesTheSaveWrites(const std::string& path, const Storage& storage) {
  std::string copy = MakeScratchDir("full-disk-copy") + "/copy.tal";
  WriteBytes(copy, ReadBytes(path));
  std::unique_ptr<Storage> twin;
  if (!Storage::Open(copy, &twin).ok()) return 0;
  for (const std::string& name : storage.ViewNames()) {
    View rows = storage.GetView(name);
    View mine = twin->GetView(name);
    mine.SetSize(0);
    mine.InsertRowsAt(0, rows);
  }
  CommitStats stats;
  Status s = twin->Commit(&stats);
  std::filesystem::remove_all(std::filesystem::path(copy).parent_path());
  return s.ok() ? stats.bytes_written : 0;
}

TEST_F(FullDiskTest, SavesFailingOnAFullDiskSucceedOnceTheirRoomIsFree) {
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open(path_, &storage).ok());
  View counts = storage->GetAs("Counts[Key:S,N:L]");
  counts.SetSize(20);
  for (int r = 0; r < 20; ++r) counts.SetString(r, 0, std::string(1, 'A' + r));
  storage->GetAs("Records[Unit:S,Value:S]");
  View trees = storage->GetAs("Trees[Name:S,Notes:S]");
  trees.SetSize(1500);
  for (int r = 0; r < 1500; ++r) {
    trees.SetString(r, 0, "tree " + std::to_string(r));
    trees.SetString(r, 1, std::string(90 + r % 30, 'a' + r % 26));
  }
  ASSERT_TRUE(storage->Commit().ok());
  uint64_t file_size = std::filesystem::file_size(path_);
  ASSERT_GT(file_size, 150000u);
  FillDisk();

  // Save after every tally until three saves in a row have failed.
  std::string saved = DumpStorage(*storage);
  int failed_in_a_row = 0, failures = 0, k = 0;
  for (; failed_in_a_row < 3 && k < 3000; ++k) {
    Tally(*storage, k);
    Status s = storage->Commit();
    if (s.ok()) {
      saved = DumpStorage(*storage);
      failed_in_a_row = 0;
      continue;
    }
    ++failures;
    ++failed_in_a_row;
    EXPECT_NE(s.message().find("No space left"), std::string::npos) << s.message();
    ExpectFileHolds(saved, "after the failed save of tally " + std::to_string(k));
  }
  ASSERT_EQ(failed_in_a_row, 3) << "the disk never filled";

  // Room for what the save writes (and the pages its first and last bytes
  // share with others): far less than the file.
  uint64_t writes = BytesTheSaveWrites(path_, *storage);
  ASSERT_GT(writes, 0u);
  uint64_t room = (writes + 4095) / 4096 * 4096 + 8192;
  ASSERT_LT(room, file_size / 4) << "the save writes " << writes << " bytes";
  Free(room);
  std::string pending = DumpStorage(*storage);
  Status s = storage->Commit();
  ASSERT_TRUE(s.ok()) << s.message() << " (room " << room << ", file "
                      << std::filesystem::file_size(path_) << " bytes, " << failures
                      << " failed saves)";
  ExpectFileHolds(pending, "after room was freed");
  for (int more = 1; more <= 20; ++more) {
    Tally(*storage, k + more, false);
    Status again = storage->Commit();
    ASSERT_TRUE(again.ok()) << "count " << more << " after room was freed: " << again.message();
  }
  ExpectFileHolds(DumpStorage(*storage), "after more counts");
}

// A datafile followed by other bytes (skipped by a mark at the end) holds
// far more than its data, so the next commit packs it. On a nearly full
// disk there is no room for the packed copy: the commit is then written
// without packing, in the room it needs.
TEST_F(FullDiskTest, CommitWithoutRoomToPackIsWrittenUnpacked) {
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(path_, &storage).ok());
    View counts = storage->GetAs("Counts[Key:S,N:L]");
    counts.SetSize(20);
    storage->GetAs("Records[Unit:S,Value:S]");
    View trees = storage->GetAs("Trees[Name:S,Notes:S]");
    trees.SetSize(500);
    for (int r = 0; r < 500; ++r) trees.SetString(r, 1, std::string(100, 'a' + r % 26));
    ASSERT_TRUE(storage->Commit().ok());
  }
  ASSERT_LT(std::filesystem::file_size(path_), 64u * 1024);
  std::string trailing(128 * 1024, 'x');
  trailing += std::string("\x80\0\0\0", 4) + std::string("\0\2\0\0", 4);  // skips 131072 bytes
  {
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << trailing;
  }
  std::unique_ptr<Storage> storage;
  Status opened = Storage::Open(path_, &storage);
  ASSERT_TRUE(opened.ok()) << opened.message();
  FillDisk();
  for (int k = 0; k < 50; ++k) {
    Tally(*storage, k);
    (void)storage->Commit();  // may fail: the disk is full
  }
  Free(16 * 1024);
  std::string pending = DumpStorage(*storage);
  Status s = storage->Commit();
  ASSERT_TRUE(s.ok()) << s.message();
  ExpectFileHolds(pending, "after room was freed");
}

// The disk fills while every tally adds a record; the program is closed
// without the last tallies (the user chose not to save them elsewhere) and
// started again once there is room: the file must take every kind of save
// from then on. Each amount of room stops a save at another write.
TEST_F(FullDiskTest, SavesAfterARestartKeepAFileThatAFullDiskStopped) {
  for (int room_kib = 24; room_kib <= 164; room_kib += 20) {
    SCOPED_TRACE(std::to_string(room_kib) + " KiB free");
    std::filesystem::remove(path_);
    std::filesystem::remove(filler_);
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(path_, &storage).ok());
    View counts = storage->GetAs("Counts[Key:S,N:L]");
    counts.SetSize(20);
    View trees = storage->GetAs("Trees[Unit:S,Num:S,Notes:S]");
    trees.SetSize(501);  // odd: the last byte of each 4-bit size vector is half used
    for (int r = 0; r < 501; ++r) {
      trees.SetString(r, 0, std::to_string(r % 9));
      trees.SetString(r, 1, std::to_string(r));
      trees.SetString(r, 2, std::string(40 + r % 60, static_cast<char>('a' + r % 26)));
    }
    ASSERT_TRUE(storage->Commit().ok());
    FillDisk();
    Free(static_cast<uint64_t>(room_kib) * 1024);
    int failed_in_a_row = 0;
    for (int k = 0; failed_in_a_row < 3 && k < 5000; ++k) {
      Tally(*storage, k, false);
      int r = trees.GetSize();
      trees.SetSize(r + 1);
      trees.SetString(r, 0, std::to_string(k % 7));
      trees.SetString(r, 1, std::to_string(r));
      trees.SetString(r, 2, std::string(20 + k % 90, 'r'));
      failed_in_a_row = storage->Commit().ok() ? 0 : failed_in_a_row + 1;
    }
    ASSERT_EQ(failed_in_a_row, 3) << "the disk never filled";
    storage.reset();
    std::filesystem::remove(filler_);
    const std::vector<std::string> expected = CarryOnDumps(ReadBytes(path_));
    EXPECT_EQ(CarryOn(path_, DefaultFileSystem(), expected,
                      [this](int step) { return CarryOnStepInNewProcess(path_, step); }),
              "");
  }
}

}  // namespace
}  // namespace mk
