// The model and the file it holds: what a file that cannot be used is
// called, the lock held through the Setup cycle, the last save at the
// close, and a file that leaves its path while open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"
#include "platform/testing/lock_prober.h"

namespace woodtick {
namespace {

using ::testing::HasSubstr;

template <typename Disk>
class HeldFileFixture : public Disk {
 protected:
  std::string AshFile(const std::string& name) {
    return this->Build(name, {.populations = {{.key = "A", .label = "Ash", .meth = " "}}});
  }
  // The Tally count of Ash in unit 1 in the file on disk.
  std::string DiskCount(const std::string& path) {
    return this->DiskRows(path, "Tally").at(0).at(6);
  }
};

// On the real disk: what they test is the real file system (folders, links,
// FIFOs, permissions, names), a lock seen by another process, or a file
// deleted or moved behind the model's back.
using HeldFileTest = HeldFileFixture<RealDiskModelTest>;
// In memory, with the disk filling up on cue.
using LastSaveTest = HeldFileFixture<ModelTest>;

TEST_F(HeldFileTest, WhatCannotBeOpenedIsCalledWhatItIs) {
  EXPECT_FALSE(TryOpen(dir_.File("nowhere.tal")));
  EXPECT_EQ(ui_.LastMessage()->title, "File Not Found");
  EXPECT_THAT(ui_.LastMessage()->text,
              HasSubstr("nowhere.tal cannot be opened: it does not exist"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("nowhere.tal")));

  std::string folder = dir_.File("folder.tal");
  std::filesystem::create_directory(folder);
  EXPECT_FALSE(TryOpen(folder));
  EXPECT_EQ(ui_.LastMessage()->title, "Not a Tally File");
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("folder.tal cannot be opened: it is a folder"));

  std::string loop = dir_.File("loop.tal");
  ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
  EXPECT_FALSE(TryOpen(loop));
  EXPECT_EQ(ui_.LastMessage()->title, "Not a Tally File");
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("symbolic link"));

  for (const Message& m : ui_.messages) EXPECT_THAT(m.text, ::testing::Not(HasSubstr("in use")));
  EXPECT_EQ(ui_.CountTitled("File Already Open"), 0);
}

TEST_F(HeldFileTest, AFifoIsToldAtOnce) {
  std::string fifo = dir_.File("pipe.tal");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(10);  // a hang ends the child, and the test fails below
    bool told = !TryOpen(fifo) && ui_.LastMessage() != nullptr &&
                ui_.LastMessage()->text.find("not a regular file") != std::string::npos;
    ::_exit(told ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "opening a FIFO hung";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(HeldFileTest, AFileThatCannotBeWrittenIsToldSoAndLeftAlone) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root (realdisk_test covers it)";
  std::string path = AshFile("readonly.tal");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  std::string bytes = FileBytes(path);
  EXPECT_FALSE(TryOpen(path));
  EXPECT_EQ(ui_.LastMessage()->title, "File Cannot Be Written");
  EXPECT_THAT(ui_.LastMessage()->text,
              HasSubstr("readonly.tal cannot be written: Permission denied"));
  EXPECT_EQ(FileBytes(path), bytes);
}

TEST_F(HeldFileTest, NamesAreShownDecodedAndOpenedByTheirBytes) {
  std::string latin1 = AshFile("caf\xE9.tal");  // not valid UTF-8
  ASSERT_TRUE(TryOpen(latin1)) << ui_.LastMessage()->text;
  EXPECT_EQ(ui_.shown_name, "caf\xE9.tal");
  EXPECT_EQ(model_->title(), "caf\xE9");
  model_.reset();

  std::string utf8 = AshFile("five pops \xC3\xBC.tal");
  ASSERT_TRUE(TryOpen(utf8));
  EXPECT_EQ(ui_.shown_name, "five pops \xFC.tal");   // ü in the texts' Windows-1252
  EXPECT_EQ(model_->title(), "five pops \xC3\xBC");  // names the CSV by the file's bytes
  std::filesystem::path old_dir = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  bool exported = model_->utilities().ExportCsv();
  std::filesystem::current_path(old_dir);
  EXPECT_TRUE(exported);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("five pops \xC3\xBC.csv")));
  EXPECT_EQ(ui_.LastMessage()->text, "All of the data has been exported to this file:\n" +
                                         dir_.path() + "/five pops \xFC.csv");
  model_.reset();
  EXPECT_FALSE(TryOpen(dir_.File("gone \xC3\xBC.tal")));
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("gone \xFC.tal cannot be opened"));
}

TEST_F(HeldFileTest, TheLockIsHeldUnbrokenFromOpenThroughSetupToTheEnd) {
  std::string path = AshFile("setup.tal");
  TallyModel& model = Open(path);
  LockProber prober(path);  // a second program, trying the lock all the time
  ui_.setup_screen = [&](TallyModel& m, DataStore&, int) { m.SetSound(true); };
  for (int i = 0; i < 20; ++i) {
    model.RunSetup();
    Press("A");
  }
  LockProber::Result seen = prober.Stop();
  EXPECT_GT(seen.tries, 0);
  EXPECT_EQ(seen.got, 0) << "the other program got the lock during the Setup cycle";
  EXPECT_TRUE(model.is_open());
  EXPECT_THAT(ui_.MessageTexts(), ::testing::IsEmpty());
  model_.reset();
  EXPECT_EQ(DiskCount(path), "20");
  EXPECT_FALSE(IsFileInUse(path));
}

TEST_F(LastSaveTest, AFailedLastSaveIsAlwaysToldWithTheChoiceToRetry) {
  std::string path = AshFile("close.tal");
  TallyModel& model = Open(path);
  fault_fs_.FailOpen(mk::FaultInjectionFileSystem::Error::kNoSpace);
  Press("AAA");
  EXPECT_EQ(ui_.CountTitled("Data Not Saved"), 1);  // the streak is told once
  // Retry fails again and the box comes back; then Cancel.
  ui_.answers = {MessageAnswer::kRetry};
  model.CloseTallyFile();
  EXPECT_EQ(ui_.CountTitled("Data Not Saved"), 3) << "the close must tell every failed try";
  const Message& last = ui_.messages.back();
  EXPECT_EQ(last.buttons, MessageButtons::kRetryCancel);
  EXPECT_THAT(last.text, HasSubstr("No space left on device"));
  EXPECT_THAT(last.text, HasSubstr("lost are the last 3 tallies"));
  EXPECT_EQ(DiskCount(path), "0");
  EXPECT_NE(env_->FileOpenError(path), kFileSharingViolation);
}

TEST_F(LastSaveTest, RetryingTheLastSaveAfterMakingRoomSavesEveryTally) {
  std::string path = AshFile("retry.tal");
  TallyModel& model = Open(path);
  fault_fs_.FailOpen(mk::FaultInjectionFileSystem::Error::kNoSpace);
  Press("AAAA");
  // The user frees space while the box is up, then chooses Retry.
  ui_.answers = {MessageAnswer::kRetry};
  ui_.on_message = [&](const Message& m) {
    if (m.buttons == MessageButtons::kRetryCancel) fault_fs_.Disarm();
  };
  model.CloseTallyFile();
  EXPECT_EQ(ui_.CountTitled("Data Not Saved"), 2);
  EXPECT_EQ(DiskCount(path), "4");
  EXPECT_EQ(DiskLog(path).back(), "Tally File Closed");
}

TEST_F(HeldFileTest, ADeletedFileIsToldAndSavedAgainUnderItsNameWhenAsked) {
  std::string path = AshFile("deleted.tal");
  TallyModel& model = Open(path);
  Press("A");
  ASSERT_TRUE(std::filesystem::remove(path));
  ui_.answers = {MessageAnswer::kYes};
  Press("A");
  ASSERT_EQ(ui_.CountTitled("Tally File Moved"), 1);
  EXPECT_THAT(ui_.messages[0].text, HasSubstr("deleted, renamed or moved"));
  EXPECT_EQ(ui_.LastMessage()->title, "Data Saved");
  EXPECT_EQ(DiskCount(path), "2");
  // The new file is held like the old one, and later tallies reach it.
  EXPECT_TRUE(IsFileInUse(path));
  Press("A");
  EXPECT_EQ(DiskCount(path), "3");
  EXPECT_TRUE(model.is_open());
}

TEST_F(HeldFileTest, AFileInTheOldPlaceIsNeverWrittenOverAndTheDataGoesElsewhere) {
  std::string path = AshFile("renamed.tal");
  TallyModel& model = Open(path);
  Press("AA");
  std::string renamed = dir_.File("renamed-by-user.tal");
  ASSERT_EQ(::rename(path.c_str(), renamed.c_str()), 0);
  // A second program makes a new tally file under the old name and holds it.
  std::string theirs_source = AshFile("theirs.tal");
  ASSERT_EQ(::rename(theirs_source.c_str(), path.c_str()), 0);
  std::string theirs = FileBytes(path);

  std::string elsewhere = dir_.File("elsewhere.tal");
  // Yes (save there again) is refused; then No, and a new name is chosen.
  ui_.answers = {MessageAnswer::kYes, MessageAnswer::kNo};
  ui_.save_file_names = {elsewhere};
  Press("A");
  EXPECT_EQ(FileBytes(path), theirs);
  EXPECT_THAT(ui_.MessageTexts()[0], HasSubstr("another file has taken its name"));
  EXPECT_EQ(ui_.CountTitled("Tally File Moved"), 2);
  EXPECT_THAT(ui_.save_suggestions, ::testing::ElementsAre(path));
  EXPECT_EQ(DiskCount(elsewhere), "3");
  EXPECT_EQ(model.path(), elsewhere);
  EXPECT_EQ(ui_.shown_name, "elsewhere.tal");
  EXPECT_TRUE(IsFileInUse(elsewhere));
  EXPECT_EQ(DiskCount(renamed), "2");  // the renamed file was not written after the rename
}

TEST_F(HeldFileTest, NotNowIsAskedAgainAtTheClose) {
  std::string path = AshFile("later.tal");
  TallyModel& model = Open(path);
  ASSERT_TRUE(std::filesystem::remove(path));
  ui_.answers = {MessageAnswer::kCancel};
  Press("AAA");
  EXPECT_EQ(ui_.CountTitled("Tally File Moved"), 1);  // not asked at every tally
  EXPECT_FALSE(std::filesystem::exists(path));
  ui_.answers = {MessageAnswer::kYes};
  model.CloseTallyFile();
  EXPECT_EQ(ui_.CountTitled("Tally File Moved"), 2);
  EXPECT_EQ(DiskCount(path), "3");
  EXPECT_EQ(DiskLog(path).back(), "Tally File Closed");
}

}  // namespace
}  // namespace woodtick
