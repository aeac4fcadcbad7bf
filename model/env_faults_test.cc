// The model on a machine that misbehaves: a disk that fills up, a file it
// may not write, a file another program holds, a copy that fails. The user
// is told, nothing half-made is left, and no tally is lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"

namespace woodtick {
namespace {

using ::testing::HasSubstr;

class EnvFaultsTest : public ModelTest {
 protected:
  // Ash is counted only, and SaveInterval is 1: every tally is saved at once.
  std::string AshFile(const std::string& name) {
    return Build(name, {.populations = {{.key = "A", .label = "Ash", .meth = " "}}});
  }
  // The Tally count of Ash in unit 1, as the file holds it.
  std::string DiskCount(const std::string& path) { return DiskRows(path, "Tally").at(0).at(6); }
  bool MakeTemplate(const std::string& name) {
    ui_.template_names.push_back(name);
    return model_->templates().CreateTemplate();
  }
};

TEST_F(EnvFaultsTest, ATemplateThatCannotBeWrittenIsToldAndLeavesNothingBehind) {
  std::string path = AshFile("stand.tal");
  TallyModel& model = Open(path);
  Press("AA");
  const std::string bytes = FileBytes(path);
  const size_t log_size = DiskLog(path).size();

  fault_fs_.LimitRoom(100);  // far less than a copy of the file takes
  EXPECT_FALSE(MakeTemplate("plot"));
  EXPECT_EQ(ui_.LastMessage()->title, "WARNING");
  EXPECT_EQ(ui_.LastMessage()->text, "The template file " + File("plot.tal") +
                                         " could not be written:\nNo space left on device");
  fault_fs_.Disarm();
  memory_env_.FailCopies(EIO);
  EXPECT_FALSE(MakeTemplate("plot"));
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("could not be written:\nInput/output error"));
  memory_env_.FailCopies(0);
  // The copy is made but emptying it fails: a full copy of the field data
  // must not stay behind under a template's name.
  fault_fs_.StopAfter(2, mk::FaultInjectionFileSystem::Error::kIo);  // the copy's write and flush
  EXPECT_FALSE(MakeTemplate("plot"));
  fault_fs_.Disarm();
  EXPECT_EQ(ui_.LastMessage()->title, "WARNING");
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("could not be written"));
  EXPECT_EQ(ui_.CountTitled("Template File Created"), 0);

  EXPECT_EQ(model.templates().template_path(), "");
  EXPECT_FALSE(Exists(File("plot.tal")));
  EXPECT_EQ(FileBytes(path), bytes);
  EXPECT_EQ(DiskLog(path).size(), log_size);
  // The tally goes on, and the name is free for the template once it can be made.
  Press("A");
  EXPECT_EQ(DiskCount(path), "3");
  ASSERT_TRUE(MakeTemplate("plot"));
  EXPECT_EQ(DiskCount(File("plot.tal")), "0");
}

TEST_F(EnvFaultsTest, AHeldOrReadOnlyFileIsRefusedUntouchedAndLetGo) {
  std::string path = AshFile("stand.tal");
  const std::string bytes = FileBytes(path);
  {
    std::unique_ptr<FileLock> other = env_->NewLock();  // another program's
    ASSERT_EQ(other->Acquire(path), kFileOpenOk);
    EXPECT_FALSE(TryOpen(path));
    EXPECT_EQ(ui_.LastMessage()->title, "File Already Open");
    EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("stand.tal is in use by another application"));
    EXPECT_EQ(other->Check(path), HeldPath::kSameFile);
  }
  memory_env_.SetReadOnly(path);
  EXPECT_FALSE(TryOpen(path));
  EXPECT_EQ(ui_.LastMessage()->title, "File Cannot Be Written");
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("stand.tal cannot be written: Permission denied"));
  EXPECT_FALSE(model_->is_open());
  EXPECT_EQ(FileBytes(path), bytes);
  // A refused file is not kept locked: another program may have it at once.
  EXPECT_EQ(env_->FileOpenError(path), kFileOpenOk);

  memory_env_.SetReadOnly(path, false);
  ASSERT_TRUE(TryOpen(path));
  Press("A");
  EXPECT_EQ(DiskCount(path), "1");
}

TEST_F(EnvFaultsTest, ASaveCutShortAnywhereByAFullDiskLosesNoTally) {
  // Every Ash tally a HIT whose record carries a long note: every save grows the file.
  std::string path =
      Build("stand.tal", {.populations = {{.key = "A", .label = "Ash", .dat_table = "Trees"}},
                          .tables = {{.name = "Trees", .columns = {"Unit", "Num", "Note"}}}});
  ui_.record_editor = [](const RecordEditorRequest& r) {
    r.store->SetString(r.slot, r.row, 2, std::string(100, 'n'));
  };
  TallyModel& model = Open(path);
  size_t pressed = 0;
  int cut_short = 0;
  // A save with room for ever more bytes, so the disk fills at every point
  // of it: the file must stay readable and hold what was saved before or all
  // of it; once room is made, everything lands.
  for (uint64_t room = 0; room < 1600; room += 13) {
    fault_fs_.LimitRoom(room);
    Press("A");
    ++pressed;
    size_t records = DiskRows(path, "Trees").size();
    EXPECT_TRUE(records == pressed - 1 || records == pressed)
        << "room " << room << ": " << records << " records after " << pressed << " tallies";
    EXPECT_EQ(DiskCount(path), std::to_string(records)) << "room " << room;
    cut_short += records != pressed;
    fault_fs_.Disarm();
    ASSERT_EQ(model.Commit(), kStoreOk) << "room " << room;
    EXPECT_EQ(DiskRows(path, "Trees").size(), pressed) << "room " << room;
  }
  EXPECT_GT(cut_short, 5) << "the disk hardly ever filled";
  EXPECT_LT(cut_short, static_cast<int>(pressed)) << "no save ever had room enough";
  const Message* told = nullptr;
  for (const Message& m : ui_.messages) {
    if (told == nullptr && m.title == "Data Not Saved") told = &m;
  }
  ASSERT_NE(told, nullptr);
  EXPECT_THAT(told->text, HasSubstr("No space left on device"));
  EXPECT_EQ(ui_.CountTitled("Data Not Saved"), cut_short) << "each failed save is told once";

  model_.reset();
  EXPECT_EQ(DiskCount(path), std::to_string(pressed));
  EXPECT_EQ(DiskLog(path).back(), "Tally File Closed");
}

TEST_F(EnvFaultsTest, SavingAMovedFilesDataElsewhereOnAFullDiskLeavesNoHalfFile) {
  std::string path = AshFile("stand.tal");
  TallyModel& model = Open(path);
  Press("A");
  ASSERT_EQ(env_->RemoveFile(path), 0);  // deleted behind the model's back
  fault_fs_.LimitRoom(100);
  std::string elsewhere = File("elsewhere.tal");
  // No (save elsewhere) on a full disk; asked again, then Cancel (not now).
  ui_.answers = {MessageAnswer::kNo, MessageAnswer::kCancel};
  ui_.save_file_names = {elsewhere};
  Press("A");
  EXPECT_EQ(ui_.CountTitled("Tally File Moved"), 2);
  EXPECT_EQ(ui_.messages[2].text, ui_.messages[0].text) << "asked again for the same reason";
  ASSERT_EQ(ui_.CountTitled("Data Not Saved"), 1);
  EXPECT_EQ(ui_.messages[1].title, "Data Not Saved");
  EXPECT_THAT(ui_.messages[1].text, HasSubstr("No space left on device"));
  EXPECT_FALSE(Exists(elsewhere)) << "a half-written file was left";
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(model.path(), path);

  fault_fs_.Disarm();  // room is made; at the close, Yes saves under the old name
  ui_.answers = {MessageAnswer::kYes};
  model.CloseTallyFile();
  EXPECT_EQ(DiskCount(path), "2");
  EXPECT_EQ(DiskLog(path).back(), "Tally File Closed");
}

}  // namespace
}  // namespace woodtick
