#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/temp_dir.h"

namespace woodtick {
namespace {

std::string MakeFile(const TempDir& dir, const std::string& name) {
  std::string path = dir.File(name);
  std::ofstream(path) << "data";
  return path;
}

// Runs `child` in a forked process and returns its exit code: a second
// program as far as the lock is concerned.
template <typename F>
int RunInOtherProcess(F child) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(child());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FileOpenErrorTest, TellsMissingFreeAndOtherFailures) {
  TempDir dir;
  EXPECT_EQ(FileOpenError(dir.File("missing.tal")), kFileNotFound);
  EXPECT_FALSE(IsFileInUse(dir.File("missing.tal")));

  std::string path = MakeFile(dir, "free.tal");
  EXPECT_EQ(FileOpenError(path), kFileOpenOk);
  // The test drops its lock again: a second test still finds the file free.
  EXPECT_EQ(FileOpenError(path), kFileOpenOk);
  EXPECT_FALSE(IsFileInUse(path));

  int cause = FileOpenError(dir.path());  // a folder is no tally file
  EXPECT_NE(cause, kFileOpenOk);
  EXPECT_NE(cause, kFileNotFound);
  EXPECT_NE(cause, kFileSharingViolation);
  EXPECT_FALSE(IsFileInUse(dir.path()));
}

TEST(FileLockTest, TwoLocksInOneProcessAreSeparateHolders) {
  TempDir dir;
  std::string path = MakeFile(dir, "a.tal");
  FileLock first;
  ASSERT_EQ(first.Acquire(path), kFileOpenOk);
  EXPECT_TRUE(first.held());
  EXPECT_EQ(FileOpenError(path), kFileSharingViolation);
  EXPECT_TRUE(IsFileInUse(path));

  FileLock second;
  EXPECT_EQ(second.Acquire(path), kFileSharingViolation);
  EXPECT_FALSE(second.held());

  first.Release();
  EXPECT_FALSE(first.held());
  EXPECT_FALSE(IsFileInUse(path));
  EXPECT_EQ(second.Acquire(path), kFileOpenOk);
  EXPECT_EQ(first.Acquire(path), kFileSharingViolation);
}

TEST(FileLockTest, MissingFileIsNotLockedAndDestructionReleases) {
  TempDir dir;
  {
    FileLock lock;
    EXPECT_EQ(lock.Acquire(dir.File("none.tal")), kFileNotFound);
    EXPECT_FALSE(lock.held());
  }
  std::string path = MakeFile(dir, "b.tal");
  {
    FileLock lock;
    ASSERT_EQ(lock.Acquire(path), kFileOpenOk);
    EXPECT_TRUE(IsFileInUse(path));
  }
  EXPECT_FALSE(IsFileInUse(path));
}

TEST(FileLockTest, ReacquiringMovesTheLockToTheNewFile) {
  TempDir dir;
  std::string a = MakeFile(dir, "a.tal");
  std::string b = MakeFile(dir, "b.tal");
  FileLock lock;
  ASSERT_EQ(lock.Acquire(a), kFileOpenOk);
  ASSERT_EQ(lock.Acquire(b), kFileOpenOk);
  EXPECT_FALSE(IsFileInUse(a));
  EXPECT_TRUE(IsFileInUse(b));
}

TEST(FileLockTest, AnotherProgramSeesTheFileHeld) {
  TempDir dir;
  std::string path = MakeFile(dir, "shared.tal");
  FileLock lock;
  ASSERT_EQ(lock.Acquire(path), kFileOpenOk);
  EXPECT_EQ(RunInOtherProcess([&] { return FileOpenError(path); }), kFileSharingViolation);
  lock.Release();
  EXPECT_EQ(RunInOtherProcess([&] { return FileOpenError(path); }), kFileOpenOk);

  // And the other way round: a lock held by the other program is seen here.
  int ready[2];
  int done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    FileLock theirs;
    char c = theirs.Acquire(path) == kFileOpenOk ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    (void)!::read(done[0], &c, 1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  EXPECT_TRUE(IsFileInUse(path));
  EXPECT_EQ(lock.Acquire(path), kFileSharingViolation);
  (void)!::write(done[1], &c, 1);
  ::waitpid(pid, nullptr, 0);
  EXPECT_FALSE(IsFileInUse(path));
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

}  // namespace
}  // namespace woodtick
