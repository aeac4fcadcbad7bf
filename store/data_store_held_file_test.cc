// The store and the file it holds: the lock shared between stores, a file
// that leaves its path while held, saving the held data under a new name,
// and files that are no regular files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/testing/lock_prober.h"
#include "store/data_store.h"
#include "store/store_test_util.h"

namespace woodtick {
namespace {

class HeldFileTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.CopyIn(Fixture("sample.tal"), "sample.tal"); }

  // Every view of the file buffered, then the file let go (as the program runs).
  void OpenBuffered(DataStore& store) {
    ASSERT_EQ(store.Open(path_, true), kStoreOk);
    for (const char* name : {"Tally", "Globals", "DataDictionary", "Buffer", "MessageLog"}) {
      ASSERT_GE(store.OpenAView(name, true), 0) << name;
    }
    ASSERT_EQ(store.Close(true), kStoreOk);
  }

  int AddLogRow(DataStore& store, const std::string& msg) {
    int slot = store.FindView(std::string("MessageLog"));
    int row = store.AddRow(slot, -1);
    store.SetString(slot, row, 1, msg);
    return slot;
  }

  TempDir dir_;
  std::string path_;
  RecordingReporter reporter_;
};

TEST_F(HeldFileTest, ASharedLockOutlivesTheStoreThatTookIt) {
  std::shared_ptr<FileLock> lock;
  {
    DataStore first(&reporter_);
    ASSERT_EQ(first.Open(path_, false), kStoreOk);
    lock = first.lock();
    ASSERT_EQ(first.Close(false), kStoreOk);
  }
  EXPECT_TRUE(IsFileInUse(path_)) << "closing the first store let the file go";

  DataStore second(&reporter_);
  EXPECT_EQ(second.Open(path_, false), kStoreFileHeld);  // a lock of its own is refused
  ASSERT_EQ(second.Open(path_, true, lock), kStoreOk);
  EXPECT_EQ(second.lock(), lock);
  second.Close(false);
  EXPECT_TRUE(IsFileInUse(path_));
  lock.reset();
  EXPECT_FALSE(IsFileInUse(path_));
}

TEST_F(HeldFileTest, ReopeningTheSameFileNeverLetsItGo) {
  DataStore store(&reporter_);
  ASSERT_EQ(store.Open(path_, false), kStoreOk);
  LockProber other(path_);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(store.Open(path_, i % 2 == 0), kStoreOk);
    ASSERT_GE(store.OpenAView("Tally", false), 0);
  }
  LockProber::Result seen = other.Stop();
  EXPECT_GT(seen.tries, 0);
  EXPECT_EQ(seen.got, 0);
}

TEST_F(HeldFileTest, ADeletedOrReplacedFileIsNeitherRecreatedNorOverwritten) {
  DataStore store(&reporter_);
  OpenBuffered(store);
  int log = AddLogRow(store, "after the delete");
  ASSERT_EQ(std::filesystem::remove(path_), true);
  EXPECT_EQ(store.Commit(), kStoreFileMoved);
  EXPECT_FALSE(std::filesystem::exists(path_)) << "a commit recreated the deleted file";
  ASSERT_EQ(reporter_.commit_failures.size(), 1u);
  EXPECT_NE(reporter_.commit_failures[0].find("deleted, renamed or moved"), std::string::npos);

  // Another program makes a new file under the name: it is not ours.
  std::filesystem::copy_file(Fixture("sample.tal"), path_);
  std::string theirs = FileStructure(path_);
  auto before = std::filesystem::file_size(path_);
  EXPECT_EQ(store.Commit(), kStoreFileMoved);
  EXPECT_EQ(std::filesystem::file_size(path_), before);
  EXPECT_NE(reporter_.commit_failures.back().find("another file has taken its name"),
            std::string::npos);
  // Releasing the view must not drop the rows that reached no file.
  EXPECT_EQ(store.ReleaseView(log), kStoreFileMoved);
  EXPECT_GT(store.View(log).GetSize(), 0);
  EXPECT_EQ(FileStructure(path_), theirs);
}

TEST_F(HeldFileTest, ARenamedFileGetsNoWritesThroughItsOldName) {
  DataStore store(&reporter_);
  OpenBuffered(store);
  std::string renamed = dir_.File("renamed.tal");
  ASSERT_EQ(::rename(path_.c_str(), renamed.c_str()), 0);
  AddLogRow(store, "after the rename");
  EXPECT_EQ(store.Commit(), kStoreFileMoved);
  EXPECT_FALSE(std::filesystem::exists(path_));
  // The store still holds the file under its new name.
  EXPECT_TRUE(IsFileInUse(renamed));
}

TEST_F(HeldFileTest, SaveAsWritesEveryHeldViewIntoANewHeldFile) {
  DataStore store(&reporter_);
  OpenBuffered(store);
  Rows tally = FileRows(path_, "Tally");
  int log = AddLogRow(store, "kept in memory");
  int log_rows = store.View(log).GetSize();
  ASSERT_EQ(std::filesystem::remove(path_), true);
  ASSERT_EQ(store.Commit(), kStoreFileMoved);

  // Never over an existing file.
  std::string taken = dir_.File("taken.tal");
  std::filesystem::copy_file(Fixture("sample.tal"), taken);
  EXPECT_EQ(store.SaveAs(taken), kStoreFileUnreadable);
  EXPECT_NE(store.LastError().find("File exists"), std::string::npos) << store.LastError();
  EXPECT_EQ(FileStructure(taken), FileStructure(Fixture("sample.tal")));

  std::string again = dir_.File("again.tal");
  ASSERT_EQ(store.SaveAs(again), kStoreOk);
  EXPECT_EQ(store.Path(), again);
  EXPECT_TRUE(IsFileInUse(again));
  EXPECT_EQ(FileRows(again, "Tally"), tally);
  Rows saved_log = FileRows(again, "MessageLog");
  ASSERT_EQ(static_cast<int>(saved_log.size()), log_rows);
  EXPECT_EQ(saved_log.back()[1], "kept in memory");
  // Later saves go to the new file.
  AddLogRow(store, "next");
  EXPECT_EQ(store.Commit(), kStoreOk);
  EXPECT_EQ(FileRows(again, "MessageLog").back()[1], "next");

  // The file saved to the old name again is held as well.
  ASSERT_EQ(store.SaveAs(path_), kStoreOk);
  EXPECT_TRUE(IsFileInUse(path_));
  EXPECT_FALSE(IsFileInUse(again));
}

TEST_F(HeldFileTest, SpecialFilesAreRefusedWithoutWaiting) {
  std::string fifo = dir_.File("pipe.tal");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(5);
    DataStore store;
    ::_exit(store.Open(fifo, false) == kStoreFileUnreadable &&
                    store.LastError().find("not a regular file") != std::string::npos
                ? 0
                : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "opening a FIFO hung";
  EXPECT_EQ(WEXITSTATUS(status), 0);

  DataStore store(&reporter_);
  EXPECT_EQ(store.Open(dir_.path(), false), kStoreFileUnreadable);
  EXPECT_NE(store.LastError().find("it is a folder"), std::string::npos) << store.LastError();
}

}  // namespace
}  // namespace woodtick
