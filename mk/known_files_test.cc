// Reopening a file this program committed: taken from what it knows when the
// file is unchanged, read afresh otherwise.
#include "mk/known_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/storage.h"
#include "mk/testing/read_counting_file_system.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

class KnownFilesTest : public testing::Test {
 protected:
  void SetUp() override { path_ = MakeScratchDir("known-files") + "/t.mk"; }

  std::unique_ptr<Storage> Open() {
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path_, &storage, &fs_);
    EXPECT_TRUE(s.ok()) << s.message();
    return storage;
  }

  // A file of `rows` rows committed through fs_, with one row's texts set.
  void Build(int rows) {
    std::unique_ptr<Storage> storage = Open();
    View v = storage->GetAs("Trees[Num:S,Notes:S,Count:L]");
    v.SetSize(rows);
    for (int r = 0; r < rows; ++r) {
      v.SetString(r, 0, std::to_string(r));
      v.SetLong(r, 2, r * 3);
    }
    v.SetString(rows / 2, 1, std::string(300, 'n'));
    ASSERT_TRUE(storage->Commit().ok());
  }

  void SetModified(timespec when) {
    timespec times[2] = {when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  }
  timespec Modified() {
    struct stat st {};
    stat(path_.c_str(), &st);
    return st.st_mtim;
  }

  ReadCountingFileSystem fs_;
  std::string path_;
};

TEST_F(KnownFilesTest, ReopeningAnUnchangedFileReadsOnlyItsTailAndKeepsEveryValue) {
  Build(2000);
  fs_.ResetCount();
  std::unique_ptr<Storage> storage = Open();
  EXPECT_LE(fs_.read(), 8u);
  View v = storage->GetView("Trees");
  ASSERT_EQ(v.GetSize(), 2000);
  EXPECT_EQ(v.GetString(1999, 0), "1999");
  EXPECT_EQ(v.GetString(1000, 1), std::string(300, 'n'));
  EXPECT_EQ(v.GetLong(7, 2), 21);

  // A change committed from the reopened storage is seen by the next one.
  v.SetString(5, 1, "leaning");
  v.SetSize(2001);
  v.SetString(2000, 0, "2000");
  ASSERT_TRUE(storage->Commit().ok());
  storage.reset();
  fs_.ResetCount();
  View again = Open()->GetView("Trees");
  EXPECT_LE(fs_.read(), 8u);
  EXPECT_EQ(again.GetString(5, 1), "leaning");
  EXPECT_EQ(again.GetString(2000, 0), "2000");
  Status status;
  EXPECT_EQ(DumpFile(path_, &status), DumpFile(path_, &status, &fs_)) << status.message();
}

TEST_F(KnownFilesTest, AFileChangedByAnotherWriterIsReadAfresh) {
  Build(100);
  {
    // Another program (here: the engine through a file system it does not
    // share) commits a change.
    std::unique_ptr<Storage> other;
    ASSERT_TRUE(Storage::Open(path_, &other, DefaultFileSystem()).ok());
    other->GetView("Trees").SetString(3, 1, "from elsewhere");
    ASSERT_TRUE(other->Commit().ok());
  }
  fs_.ResetCount();
  std::unique_ptr<Storage> storage = Open();
  EXPECT_GT(fs_.read(), 8u);
  EXPECT_EQ(storage->GetView("Trees").GetString(3, 1), "from elsewhere");
}

TEST_F(KnownFilesTest, SameSizeAndTimeButADifferentTailIsReadAfresh) {
  Build(100);
  timespec when = Modified();
  std::string bytes = ReadBytes(path_);
  // Break the commit tail, keep size and modification time: the file must
  // be judged by what it holds, so it fails to open.
  bytes[bytes.size() - 8] = '\0';
  WriteBytes(path_, bytes);
  SetModified(when);
  std::unique_ptr<Storage> storage;
  EXPECT_FALSE(Storage::Open(path_, &storage, &fs_).ok());
}

TEST_F(KnownFilesTest, ANewerModificationTimeAloneMeansReadingAfresh) {
  Build(100);
  timespec when = Modified();
  when.tv_sec += 5;
  SetModified(when);
  fs_.ResetCount();
  std::unique_ptr<Storage> storage = Open();
  EXPECT_GT(fs_.read(), 8u);
  EXPECT_EQ(storage->GetView("Trees").GetString(99, 0), "99");
}

TEST_F(KnownFilesTest, WhatOneFileSystemKnowsNeverAnswersForAnother) {
  Build(100);
  // A file system made afterwards (maybe at the freed address of an earlier
  // one) knows nothing yet: it reads the file whole.
  ReadCountingFileSystem other;
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open(path_, &storage, &other).ok());
  EXPECT_GT(other.read(), 8u);
  fs_.ResetCount();
  Open();
  EXPECT_LE(fs_.read(), 8u);
}

}  // namespace
}  // namespace mk
