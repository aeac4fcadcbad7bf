// The promises of MemoryEnv that the model's tests build on: a lock that
// let two holders in, a creation that overwrote, or a Check fooled by a
// re-made file would hide exactly the faults those tests look for.
#include "platform/testing/memory_env.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace woodtick {
namespace {

TEST(MemoryEnvTest, LocksShutEachOtherOutUntilReleased) {
  MemoryEnv env;
  env.disk().SetFile("/t/a.tal", "a");
  env.disk().SetFile("/t/b.tal", "b");
  std::unique_ptr<FileLock> first = env.NewLock();
  std::unique_ptr<FileLock> second = env.NewLock();
  ASSERT_EQ(first->Acquire("/t/a.tal"), kFileOpenOk);
  EXPECT_EQ(second->Acquire("/t/a.tal"), kFileSharingViolation);
  EXPECT_FALSE(second->held());
  EXPECT_EQ(env.FileOpenError("/t/a.tal"), kFileSharingViolation);
  EXPECT_EQ(env.FileOpenError("/t/b.tal"), kFileOpenOk);  // another file is free
  EXPECT_EQ(second->Acquire("/t/missing.tal"), kFileNotFound);
  EXPECT_EQ(env.FileOpenError("/t/missing.tal"), kFileNotFound);
  // Taking another file lets go of the first, as a new Acquire does.
  ASSERT_EQ(first->Acquire("/t/b.tal"), kFileOpenOk);
  EXPECT_EQ(second->Acquire("/t/a.tal"), kFileOpenOk);
  second.reset();  // destruction releases
  EXPECT_EQ(env.FileOpenError("/t/a.tal"), kFileOpenOk);
  EXPECT_EQ(env.FileOpenError("/t/b.tal"), kFileSharingViolation);
}

TEST(MemoryEnvTest, CreationAndCopyNeverOverwrite) {
  MemoryEnv env;
  env.disk().SetFile("/t/a.tal", "mine");
  std::unique_ptr<FileLock> lock = env.NewLock();
  EXPECT_EQ(lock->CreateAndAcquire("/t/a.tal"), EEXIST);
  EXPECT_FALSE(lock->held());
  EXPECT_EQ(env.disk().GetFile("/t/a.tal"), "mine");
  ASSERT_EQ(lock->CreateAndAcquire("/t/new.tal"), kFileOpenOk);
  EXPECT_EQ(env.FileOpenError("/t/new.tal"), kFileSharingViolation);  // held from birth

  EXPECT_EQ(env.CopyFileNoOverwrite("/t/a.tal", "/t/new.tal"), EEXIST);
  EXPECT_EQ(env.disk().GetFile("/t/new.tal"), "");
  EXPECT_EQ(env.CopyFileNoOverwrite("/t/gone.tal", "/t/c.tal"), ENOENT);
  ASSERT_EQ(env.CopyFileNoOverwrite("/t/a.tal", "/t/c.tal"), 0);
  EXPECT_EQ(env.disk().GetFile("/t/c.tal"), "mine");
}

TEST(MemoryEnvTest, AFailedCopyLeavesNoFile) {
  MemoryEnv env;
  env.disk().SetFile("/t/a.tal", std::string(100, 'a'));
  env.faults().LimitRoom(99);
  EXPECT_EQ(env.CopyFileNoOverwrite("/t/a.tal", "/t/full.tal"), ENOSPC);
  EXPECT_FALSE(env.disk().HasFile("/t/full.tal"));
  env.faults().Disarm();
  env.FailCopies(EIO);
  EXPECT_EQ(env.CopyFileNoOverwrite("/t/a.tal", "/t/failed.tal"), EIO);
  EXPECT_FALSE(env.disk().HasFile("/t/failed.tal"));
  env.FailCopies(0);
  EXPECT_EQ(env.CopyFileNoOverwrite("/t/a.tal", "/t/made.tal"), 0);
}

TEST(MemoryEnvTest, CheckTellsARemovedOrRemadeFileFromTheHeldOne) {
  MemoryEnv env;
  env.disk().SetFile("/t/a.tal", "a");
  std::unique_ptr<FileLock> lock = env.NewLock();
  EXPECT_EQ(lock->Check("/t/a.tal"), HeldPath::kNotHeld);
  ASSERT_EQ(lock->Acquire("/t/a.tal"), kFileOpenOk);
  EXPECT_EQ(lock->Check("/t/a.tal"), HeldPath::kSameFile);
  ASSERT_EQ(env.RemoveFile("/t/a.tal"), 0);
  EXPECT_EQ(env.RemoveFile("/t/a.tal"), ENOENT);
  EXPECT_EQ(lock->Check("/t/a.tal"), HeldPath::kMissing);
  // Made again under the same name, with the same bytes: another file, and
  // free, since the lock holds the removed one.
  env.disk().SetFile("/t/a.tal", "a");
  EXPECT_EQ(lock->Check("/t/a.tal"), HeldPath::kOtherFile);
  EXPECT_EQ(env.FileOpenError("/t/a.tal"), kFileOpenOk);
}

TEST(MemoryEnvTest, AReadOnlyFileIsToldAndRefusesWrites) {
  MemoryEnv env;
  env.disk().SetFile("/t/a.tal", "abc");
  EXPECT_EQ(env.FileWriteError("/t/a.tal"), 0);
  EXPECT_EQ(env.FileWriteError("/t/gone.tal"), ENOENT);
  env.SetReadOnly("/t/a.tal");
  EXPECT_EQ(env.FileWriteError("/t/a.tal"), EACCES);
  std::unique_ptr<mk::RandomAccessFile> file;
  ASSERT_TRUE(env.files()->OpenFile("/t/a.tal", false, &file).ok());
  EXPECT_FALSE(file->Write(0, "x").ok());
  EXPECT_FALSE(file->Truncate(0).ok());
  EXPECT_EQ(env.disk().GetFile("/t/a.tal"), "abc");
}

}  // namespace
}  // namespace woodtick
