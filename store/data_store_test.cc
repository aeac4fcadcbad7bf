#include "store/data_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "mk/testing/fault_injection_file_system.h"
#include "mk/testing/test_support.h"
#include "platform/testing/memory_env.h"
#include "store/store_test_util.h"

namespace woodtick {
namespace {

constexpr const char* kStandardViews[] = {"Tally", "Globals", "DataDictionary", "Buffer",
                                          "MessageLog"};

class DataStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.CopyIn(Fixture("sample.tal"), "sample.tal"); }

  // The tally pattern: every standard view and Trees buffered, file let go.
  void OpenTallyPattern(DataStore& store) {
    ASSERT_EQ(store.Open(path_, true), kStoreOk);
    for (const char* name : kStandardViews) ASSERT_GE(store.OpenAView(name, true), 0) << name;
    ASSERT_GE(store.OpenAView("Trees", true), 0);
    ASSERT_EQ(store.Close(true), kStoreOk);
  }

  TempDir dir_;
  std::string path_;
  RecordingReporter reporter_;
};

TEST_F(DataStoreTest, ClosedStoreChangesNothingAndReportsItsContexts) {
  DataStore store(&reporter_);
  EXPECT_EQ(store.Commit(), kStoreClosed);
  ASSERT_EQ(reporter_.internal_errors.size(), 1u);
  EXPECT_EQ(reporter_.internal_errors[0],
            "Internal Error.\nPlease Contact Developer.\nError # -2\nCommitting ata");

  int slot = 7;
  EXPECT_FALSE(store.CheckForView("Tally", &slot));
  EXPECT_EQ(slot, kStoreClosed);
  EXPECT_EQ(store.FindView(std::string("Tally")), kStoreNotFound);
  EXPECT_EQ(store.GetViewIndex("Tally"), kStoreClosed);
  EXPECT_EQ(store.BuildViewList(), kStoreClosed);
  ASSERT_EQ(reporter_.internal_errors.size(), 5u);
  EXPECT_EQ(reporter_.internal_errors[1],
            "Internal Error.\nPlease Contact Developer.\nError # -2\nChecking for view");
  EXPECT_EQ(reporter_.internal_errors[3],
            "Internal Error.\nPlease Contact Developer.\nError # -2\nIn Get View Index");
  EXPECT_EQ(reporter_.internal_errors[4],
            "Internal Error.\nPlease Contact Developer.\nError # -2\nBuilding List of Views");

  // These fail quietly.
  EXPECT_EQ(store.Close(false), kStoreClosed);
  EXPECT_EQ(store.OpenAView("Tally", true), kStoreClosed);
  EXPECT_EQ(store.ReleaseView(0), kStoreClosed);
  EXPECT_EQ(store.ViewExistsInFile("Tally"), kStoreNotFound);
  EXPECT_EQ(reporter_.internal_errors.size(), 5u);
  EXPECT_EQ(store.state(), -1);

  store.ReportError("Context", 0);
  EXPECT_EQ(reporter_.internal_errors.back(), "Operation completed successfully.\nContext");
}

TEST_F(DataStoreTest, OpenListsViewsAndLooksNamesUpWithAndWithoutCase) {
  DataStore store(&reporter_);
  ASSERT_EQ(store.Open(path_, false), kStoreOk);
  EXPECT_EQ(store.state(), 1);
  EXPECT_FALSE(store.buffered_mode());
  EXPECT_EQ(store.ViewList(), "Tally, Globals, DataDictionary, Buffer, MessageLog, Trees");
  EXPECT_EQ(store.Path(), path_);
  EXPECT_EQ(store.ViewExistsInFile("Tally"), 0);
  EXPECT_EQ(store.ViewExistsInFile("globals"), 7);
  EXPECT_EQ(store.ViewExistsInFile("Tal"), kStoreNotFound);

  int tally = store.OpenAView("Tally", false);
  ASSERT_EQ(tally, 0);
  EXPECT_EQ(store.View(tally).GetSize(), 3);
  EXPECT_GE(store.ViewExistsInFile("tally"), 0);
  EXPECT_EQ(store.FindView("tally"), kStoreNotFound);  // slot names keep their case
  EXPECT_EQ(store.FindView("Tally"), tally);
  EXPECT_EQ(store.OpenAView("NoSuchView", false), kStoreNotFound);

  // Names need not be unique: the highest slot wins.
  int first = store.GetViewIndex("Twice");
  int second = store.GetViewIndex("Twice");
  EXPECT_LT(first, second);
  EXPECT_EQ(store.FindView("Twice"), second);
  EXPECT_TRUE(reporter_.internal_errors.empty());
}

TEST_F(DataStoreTest, ReleaseViewAnswersRangeAndFreeSlots) {
  DataStore store(&reporter_);
  ASSERT_EQ(store.Open(path_, false), kStoreOk);
  EXPECT_EQ(store.ReleaseView(25), kStoreSlotRange);
  EXPECT_EQ(store.ReleaseView(-1), kStoreSlotRange);
  EXPECT_EQ(store.ReleaseView(3), kStoreSlotAlreadyFree);
  int slot = store.OpenAView("Globals", false);
  EXPECT_EQ(store.ReleaseView(slot), kStoreOk);
  EXPECT_EQ(store.ReleaseView(slot), kStoreSlotAlreadyFree);
  EXPECT_EQ(store.FindView("Globals"), kStoreNotFound);
  EXPECT_EQ(store.View(slot).NumProperties(), 0);
}

TEST_F(DataStoreTest, StateTableOfTheTallyPattern) {
  DataStore store(&reporter_);
  ASSERT_EQ(store.Open(path_, true), kStoreOk);
  EXPECT_TRUE(store.buffered_mode());
  int slots[5];
  for (int i = 0; i < 5; ++i) slots[i] = store.OpenAView(kStandardViews[i], true);
  int attached = store.OpenAView("Trees", false);
  ASSERT_EQ(store.Close(true), kStoreOk);
  EXPECT_EQ(store.state(), 2);
  EXPECT_EQ(store.store_state(), StoreState::kBufferedViews);
  {
    // Another store (a template's copy) opened unbuffered keeps its own mode.
    DataStore copy(&reporter_);
    ASSERT_EQ(copy.Open(dir_.CopyIn(Fixture("globals.mk"), "copy.tal"), false), kStoreOk);
    EXPECT_FALSE(copy.buffered_mode());
  }
  EXPECT_TRUE(store.buffered_mode());
  EXPECT_EQ(store.ViewList(), "");
  EXPECT_EQ(store.Path(), path_);
  EXPECT_EQ(store.FindView("Tally"), slots[0]);
  EXPECT_EQ(store.FindView("Trees"), kStoreNotFound);  // attached views do not survive
  EXPECT_EQ(store.View(attached).GetSize(), 0);

  // The open slot is answered as it is, not reloaded.
  store.View(slots[0]).SetString(0, 1, "Changed");
  EXPECT_EQ(store.OpenAView("Tally", true), slots[0]);
  EXPECT_EQ(store.View(slots[0]).GetString(0, 1), "Changed");
  EXPECT_EQ(store.OpenAView("Trees", true), kStoreNotFound);

  // Nothing buffered kept: state 3.
  for (int slot : slots) ASSERT_EQ(store.ReleaseView(slot), kStoreOk);
  ASSERT_EQ(store.Close(true), kStoreOk);
  EXPECT_EQ(store.state(), 3);
  EXPECT_EQ(store.store_state(), StoreState::kNothingBuffered);
  EXPECT_EQ(store.Commit(), kStoreOk);
  ASSERT_EQ(store.Close(false), kStoreOk);
  EXPECT_EQ(store.state(), -1);
  EXPECT_EQ(store.Path(), path_);
  EXPECT_EQ(FileRows(path_, "Tally")[0][1], "Changed");
  EXPECT_TRUE(reporter_.internal_errors.empty());
}

TEST_F(DataStoreTest, BufferedRowsReachTheFileOnlyAtCommitWholeAndInOrder) {
  DataStore store(&reporter_);
  OpenTallyPattern(store);
  Rows before = FileRows(path_, "Trees");
  int trees = store.FindView("Trees");
  mk::View view = store.View(trees);
  view.RemoveAt(0, 2);
  view.InsertEmptyRowsAt(0);
  view.SetString(0, 2, "First");
  view.SetString(view.GetSize() - 1, 2, "Last");
  EXPECT_EQ(FileRows(path_, "Trees"), before);

  ASSERT_EQ(store.Commit(), kStoreOk);
  Rows after = FileRows(path_, "Trees");
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[0][2], "First");
  EXPECT_EQ(after[1], before[2]);
  EXPECT_EQ(after[4][2], "Last");
  EXPECT_EQ(FileRows(path_, "Tally"), FileRows(Fixture("sample.tal"), "Tally"));
}

TEST_F(DataStoreTest, ReleasingABufferedSlotCommitsEveryBufferedSlot) {
  DataStore store(&reporter_);
  ASSERT_EQ(store.Open(path_, true), kStoreOk);
  int globals = store.OpenAView("Globals", true);
  int tally = store.OpenAView("Tally", true);
  store.View(tally).SetString(2, 0, "Z");
  store.View(globals).SetString(0, 2, "9.9");
  EXPECT_EQ(FileRows(path_, "Globals")[0][2], "2005.05.03");
  ASSERT_EQ(store.ReleaseView(globals), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Globals")[0][2], "9.9");
  EXPECT_EQ(FileRows(path_, "Tally")[2][0], "Z");
}

TEST_F(DataStoreTest, OpenWhileOpenClosesTheFirstFileFully) {
  std::string other = dir_.CopyIn(Fixture("globals.mk"), "other.tal");
  DataStore store(&reporter_);
  OpenTallyPattern(store);
  store.View(store.FindView("Globals")).SetString(1, 2, "77");
  ASSERT_EQ(store.Open(other, false), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Globals")[1][2], "77");
  EXPECT_FALSE(IsFileInUse(path_));
  EXPECT_TRUE(IsFileInUse(other));
  EXPECT_EQ(store.FindView("Globals"), kStoreNotFound);
}

TEST_F(DataStoreTest, MissingFileIsCreatedEmpty) {
  DataStore store(&reporter_);
  std::string fresh = dir_.File("fresh.tal");
  ASSERT_EQ(store.Open(fresh, false), kStoreOk);
  EXPECT_TRUE(std::filesystem::exists(fresh));
  EXPECT_EQ(store.ViewList(), "");
  EXPECT_TRUE(IsFileInUse(fresh));
}

TEST_F(DataStoreTest, AFileHeldByAnotherStoreIsRefusedInBothPatterns) {
  auto bytes_of = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  for (bool tally_pattern : {true, false}) {
    DataStore holder(&reporter_);
    if (tally_pattern) {
      OpenTallyPattern(holder);  // the file is let go but stays locked
    } else {
      ASSERT_EQ(holder.Open(path_, false), kStoreOk);
    }
    std::string original = bytes_of(path_);
    DataStore second(&reporter_);
    EXPECT_TRUE(IsFileInUse(path_));
    EXPECT_EQ(FileOpenError(path_), kFileSharingViolation);
    EXPECT_EQ(second.Open(path_, false), kStoreFileHeld);
    EXPECT_EQ(second.state(), -1);
    EXPECT_EQ(second.Path(), "");
    EXPECT_EQ(second.Commit(), kStoreClosed);
    EXPECT_EQ(bytes_of(path_), original);

    // Another program sees the same.
    pid_t pid = ::fork();
    if (pid == 0) {
      DataStore theirs;
      ::_exit(theirs.Open(path_, true) == kStoreFileHeld ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ASSERT_EQ(holder.Close(false), kStoreOk);
    EXPECT_EQ(second.Open(path_, false), kStoreOk);
  }
}

TEST_F(DataStoreTest, DestroyingTheStoreWritesBackAndLetsTheFileGo) {
  {
    DataStore store(&reporter_);
    OpenTallyPattern(store);
    store.View(store.FindView("Buffer")).SetSize(0);
    store.View(store.FindView("Buffer")).InsertEmptyRowsAt(0, 3);
  }
  EXPECT_EQ(FileRows(path_, "Buffer").size(), 3u);
  EXPECT_FALSE(IsFileInUse(path_));
}

TEST_F(DataStoreTest, BufferedOpenWithOneFreeSlotFailsAndFreesIt) {
  DataStore store(&reporter_);
  ASSERT_EQ(store.Open(path_, true), kStoreOk);
  for (int i = 0; i < DataStore::kNumSlots - 1; ++i) ASSERT_EQ(store.GetViewIndex("Filler"), i);
  EXPECT_EQ(store.OpenAView("Trees", true), kStoreNoFreeSlot);
  EXPECT_EQ(store.FindView("Trees"), kStoreNotFound);
  EXPECT_EQ(store.FindView("Temp"), kStoreNotFound);
  EXPECT_EQ(store.Commit(), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Trees").size(), 6u);
  // Attached needs one slot only.
  EXPECT_EQ(store.OpenAView("Trees", false), DataStore::kNumSlots - 1);
  EXPECT_EQ(store.GetViewIndex("More"), kStoreNoFreeSlot);
  EXPECT_EQ(store.OpenAView("Tally", false), kStoreNoFreeSlot);
}

TEST_F(DataStoreTest, DamagedFileIsRefusedWithTheEnginesReason) {
  std::string bad = dir_.File("bad.tal");
  std::ofstream(bad, std::ios::binary) << "this is not a datafile at all, not even close";
  DataStore store(&reporter_);
  EXPECT_EQ(store.Open(bad, true), kStoreFileUnreadable);
  EXPECT_EQ(store.state(), -1);
  EXPECT_FALSE(store.LastError().empty());
  EXPECT_FALSE(IsFileInUse(bad));
}

// --- a commit that does not reach the file

// In memory, with the faults of its MemoryEnv.
class CommitFailureTest : public DataStoreTest {
 protected:
  void SetUp() override {
    path_ = "/store/sample.tal";
    env_.disk().SetFile(path_, mk::ReadBytes(Fixture("sample.tal")));
  }

  MemoryEnv env_;
  mk::FaultInjectionFileSystem& fs_ = env_.faults();
  mk::FileSystem* disk_ = &env_.disk();
};

TEST_F(CommitFailureTest, TallyPatternKeepsTheCopiesAndWritesThemNextTime) {
  DataStore store(&reporter_, &env_);
  OpenTallyPattern(store);
  int tally = store.FindView("Tally");
  ASSERT_EQ(store.SetInt(tally, 0, 6, 41), kStoreOk);

  fs_.FailOpen(mk::FaultInjectionFileSystem::Error::kAccess);
  EXPECT_EQ(store.Commit(), kStoreCommitFailed);
  ASSERT_EQ(reporter_.commit_failures.size(), 1u);
  EXPECT_NE(reporter_.commit_failures[0].find(path_), std::string::npos);
  EXPECT_EQ(FileRows(path_, "Tally", disk_)[0][6], "3");

  fs_.Disarm();
  fs_.StopAfter(0, mk::FaultInjectionFileSystem::Error::kNoSpace);
  EXPECT_EQ(store.Commit(), kStoreCommitFailed);
  ASSERT_EQ(reporter_.commit_failures.size(), 2u);
  EXPECT_NE(reporter_.commit_failures[1].find(mk::FaultInjectionFileSystem::ErrorText(
                mk::FaultInjectionFileSystem::Error::kNoSpace)),
            std::string::npos);
  // A logged event does not pretend to have reached the file either.
  EXPECT_EQ(store.LogMessage("Untally", "A", "x"), kStoreCommitFailed);
  EXPECT_EQ(FileRows(path_, "Tally", disk_)[0][6], "3");

  fs_.Disarm();
  EXPECT_EQ(store.Commit(), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Tally", disk_)[0][6], "41");
  EXPECT_EQ(FileRows(path_, "MessageLog", disk_).back()[1], "Untally");
  EXPECT_EQ(reporter_.commit_failures.size(), 3u);
  EXPECT_TRUE(reporter_.internal_errors.empty());
}

TEST_F(CommitFailureTest, HeldFileAndReleaseKeepTheDataUntilACommitLands) {
  DataStore store(&reporter_, &env_);
  ASSERT_EQ(store.Open(path_, true), kStoreOk);
  int globals = store.OpenAView("Globals", true);
  ASSERT_EQ(store.SetString(globals, 1, 2, "12"), kStoreOk);

  fs_.StopAfter(0, mk::FaultInjectionFileSystem::Error::kIo);
  EXPECT_EQ(store.Commit(), kStoreCommitFailed);
  EXPECT_EQ(store.ReleaseView(globals), kStoreCommitFailed);
  EXPECT_EQ(store.FindView("Globals"), globals);  // kept with its data
  EXPECT_EQ(FileRows(path_, "Globals", disk_)[1][2], "5");

  fs_.Disarm();
  EXPECT_EQ(store.ReleaseView(globals), kStoreOk);
  EXPECT_EQ(FileRows(path_, "Globals", disk_)[1][2], "12");
}

TEST_F(CommitFailureTest, FullCloseReportsAFailedWriteBack) {
  DataStore store(&reporter_, &env_);
  OpenTallyPattern(store);
  store.SetString(store.FindView("Globals"), 1, 2, "12");
  fs_.FailOpen(mk::FaultInjectionFileSystem::Error::kAccess);
  EXPECT_EQ(store.Close(false), kStoreCommitFailed);
  EXPECT_EQ(store.state(), -1);
  EXPECT_EQ(reporter_.commit_failures.size(), 1u);
  EXPECT_NE(env_.FileOpenError(path_), kFileSharingViolation);
}

}  // namespace
}  // namespace woodtick
