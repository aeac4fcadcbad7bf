#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
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
  SystemFileLock first;
  ASSERT_EQ(first.Acquire(path), kFileOpenOk);
  EXPECT_TRUE(first.held());
  EXPECT_EQ(FileOpenError(path), kFileSharingViolation);
  EXPECT_TRUE(IsFileInUse(path));

  SystemFileLock second;
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
    SystemFileLock lock;
    EXPECT_EQ(lock.Acquire(dir.File("none.tal")), kFileNotFound);
    EXPECT_FALSE(lock.held());
  }
  std::string path = MakeFile(dir, "b.tal");
  {
    SystemFileLock lock;
    ASSERT_EQ(lock.Acquire(path), kFileOpenOk);
    EXPECT_TRUE(IsFileInUse(path));
  }
  EXPECT_FALSE(IsFileInUse(path));
}

TEST(FileLockTest, ReacquiringMovesTheLockToTheNewFile) {
  TempDir dir;
  std::string a = MakeFile(dir, "a.tal");
  std::string b = MakeFile(dir, "b.tal");
  SystemFileLock lock;
  ASSERT_EQ(lock.Acquire(a), kFileOpenOk);
  ASSERT_EQ(lock.Acquire(b), kFileOpenOk);
  EXPECT_FALSE(IsFileInUse(a));
  EXPECT_TRUE(IsFileInUse(b));
}

TEST(FileLockTest, AnotherProgramSeesTheFileHeld) {
  TempDir dir;
  std::string path = MakeFile(dir, "shared.tal");
  SystemFileLock lock;
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
    SystemFileLock theirs;
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

TEST(FileOpenErrorTest, SpecialFilesAreToldAtOnceAndNeverWaitedOn) {
  TempDir dir;
  std::string fifo = dir.File("pipe.tal");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Without a writer a plain open of a FIFO blocks for ever: run it in a
  // child that is killed if it does not answer in time.
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(5);
    SystemFileLock lock;
    ::_exit(FileOpenError(fifo) == kFileNotRegular && lock.Acquire(fifo) == kFileNotRegular ? 0
                                                                                            : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the FIFO made the lock wait";
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(FileOpenError(dir.path()), EISDIR);
  std::string loop = dir.File("loop.tal");
  ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
  EXPECT_EQ(FileOpenError(loop), ELOOP);
}

TEST(FileLockTest, NoticesTheHeldFileLeavingItsPath) {
  TempDir dir;
  std::string path = MakeFile(dir, "held.tal");
  SystemFileLock lock;
  EXPECT_EQ(lock.Check(path), HeldPath::kNotHeld);
  ASSERT_EQ(lock.Acquire(path), kFileOpenOk);
  EXPECT_EQ(lock.Check(path), HeldPath::kSameFile);

  std::string moved = dir.File("moved.tal");
  ASSERT_EQ(::rename(path.c_str(), moved.c_str()), 0);
  EXPECT_EQ(lock.Check(path), HeldPath::kMissing);
  EXPECT_EQ(lock.Check(moved), HeldPath::kSameFile);
  MakeFile(dir, "held.tal");  // a new file under the old name
  EXPECT_EQ(lock.Check(path), HeldPath::kOtherFile);
  // The lock stays on the moved file, not on the new one at the old name.
  EXPECT_TRUE(IsFileInUse(moved));
  EXPECT_FALSE(IsFileInUse(path));

  ASSERT_EQ(::unlink(moved.c_str()), 0);
  EXPECT_EQ(lock.Check(moved), HeldPath::kMissing);
}

TEST(FileLockTest, CreateAndAcquireNeverTakesAnExistingFile) {
  TempDir dir;
  std::string path = MakeFile(dir, "there.tal");
  SystemFileLock lock;
  EXPECT_EQ(lock.CreateAndAcquire(path), EEXIST);
  EXPECT_FALSE(lock.held());
  std::ifstream in(path);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "data");

  std::string fresh = dir.File("fresh.tal");
  ASSERT_EQ(lock.CreateAndAcquire(fresh), kFileOpenOk);
  EXPECT_TRUE(IsFileInUse(fresh));
  EXPECT_EQ(lock.Check(fresh), HeldPath::kSameFile);
}

TEST(FileWriteErrorTest, SaysWhyAFileCannotBeWritten) {
  TempDir dir;
  std::string path = MakeFile(dir, "w.tal");
  EXPECT_EQ(FileWriteError(path), 0);
  EXPECT_EQ(FileWriteError(dir.path()), EISDIR);
  if (::geteuid() != 0) {  // permissions do not stop root
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(FileWriteError(path), EACCES);
  }
}

}  // namespace
}  // namespace woodtick
