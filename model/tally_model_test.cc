#include "model/tally_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mk/testing/fault_injection_file_system.h"
#include "model/tally_file.h"
#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

class OpenTest : public ModelTest {};

TEST_F(OpenTest, UpgradesAVersion11FileWithThreeLogEntriesInOrder) {
  std::string path = CopyFixture("version11.tal");
  size_t log_before = DiskLog(path).size();
  TallyModel& model = Open(path);
  // Only the empty Meth cells become "C"; the single blank stays.
  std::vector<std::string> meth;
  for (const auto& row : SlotRows(*model.store(), model.tally_slot())) meth.push_back(row[3]);
  EXPECT_THAT(meth, ElementsAre("C", " ", "R", "C"));
  model_.reset();  // closes

  Rows log = DiskRows(path, "MessageLog");
  ASSERT_EQ(log.size(), log_before + 4);
  EXPECT_EQ(log[log_before][1], "Tally File Opened");
  EXPECT_EQ(log[log_before][5], path);
  EXPECT_EQ(log[log_before + 1][1], "New Woodtick Version");
  EXPECT_EQ(log[log_before + 1][5], "2005.05.03");
  EXPECT_EQ(log[log_before + 2][1], "Tally Table updated");
  EXPECT_EQ(log[log_before + 2][4], "I");
  EXPECT_EQ(log[log_before + 2][5],
            "Data Updated for new SamplingStrategies class: Blanks changed to 'C's in Meth col "
            "of Tally Table.");
  EXPECT_EQ(log[log_before + 3][1], "Tally File Closed");
  Rows globals = DiskRows(path, "Globals");
  EXPECT_EQ(globals[0][0] + "/" + globals[0][1] + "=" + globals[0][2], "System/Version=2005.05.03");
  EXPECT_EQ(DiskRows(path, "Tally")[1][3], " ");
}

TEST_F(OpenTest, OpensTheReferenceSampleWithItsSettingsAndOneLogEntry) {
  std::string path = CopyFixture("sample.tal");
  size_t log_before = DiskLog(path).size();
  TallyModel& model = Open(path);
  EXPECT_TRUE(model.is_open());
  EXPECT_EQ(model.display_name(), "sample.tal");
  EXPECT_EQ(model.title(), "sample");
  EXPECT_EQ(ui_.shown_name, "sample.tal");
  EXPECT_EQ(ui_.files_opened, 1);
  EXPECT_EQ(model.settings().num_units(), 3);
  EXPECT_EQ(model.settings().cur_unit(), 1);
  EXPECT_EQ(model.settings().save_interval(), 5);
  EXPECT_TRUE(model.sound());
  EXPECT_TRUE(model.settings().show_counts_on_buttons());
  EXPECT_FALSE(model.settings().show_num_box());
  EXPECT_EQ(model.tables_defined(), "Trees");
  EXPECT_EQ(model.settings().keys(), "ABC");
  EXPECT_EQ(model.num_populations(), 3);
  EXPECT_GE(model.store()->FindView("Trees"), 0);
  EXPECT_EQ(model.dictionary_columns().order1, 13);
  EXPECT_EQ(ui_.busy_depth, 0);
  EXPECT_TRUE(ui_.messages.empty());
  std::vector<std::string> log = DiskLog(path);
  ASSERT_EQ(log.size(), log_before + 1);
  EXPECT_EQ(log.back(), "Tally File Opened");
}

TEST_F(OpenTest, AFileHeldElsewhereOrMissingIsToldAndNothingChanges) {
  std::string path = CopyFixture("sample.tal");
  std::string bytes = FileBytes(path);
  std::unique_ptr<FileLock> other = env_->NewLock();
  ASSERT_EQ(other->Acquire(path), 0);
  TallyModel model(ui_, {env_});
  model.SetChosenFile(path, "sample.tal", "sample");
  EXPECT_FALSE(model.OpenTallyFile());
  EXPECT_FALSE(model.is_open());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "sample.tal is in use by another application!\nClose it and try again.");
  EXPECT_EQ(ui_.messages[0].title, "File Already Open");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::kOk);
  EXPECT_FALSE(ui_.busy_during_message);
  EXPECT_EQ(ui_.shown_name, "");
  other->Release();
  EXPECT_EQ(FileBytes(path), bytes);

  model.SetStartupFile(File("nowhere.tal"));
  EXPECT_FALSE(model.OpenTallyFile());
  EXPECT_EQ(ui_.messages.back().text, "nowhere.tal cannot be opened: it does not exist.");
  EXPECT_EQ(ui_.messages.back().title, "File Not Found");
  EXPECT_FALSE(Exists(File("nowhere.tal")));
}

TEST_F(OpenTest, AFileWithoutTheStandardStructureIsRefusedUnchanged) {
  std::string path = Build("broken.tal", {});
  {
    DataStore store(nullptr, env_);
    ASSERT_EQ(store.Open(path, false), kStoreOk);
    ASSERT_EQ(store.DropView("Buffer"), kStoreOk);
  }
  std::string bytes = FileBytes(path);
  TallyModel model(ui_, {env_});
  model.SetStartupFile(path);
  EXPECT_FALSE(model.OpenTallyFile());
  EXPECT_FALSE(model.is_open());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_THAT(ui_.messages[0].text, ::testing::HasSubstr("the view Buffer"));
  EXPECT_EQ(ui_.messages[0].title, "Not a Tally File");
  EXPECT_EQ(FileBytes(path), bytes);
}

// A file other Metakit software reads as empty is damaged, not a file to
// save into; the message names the way to get its content back.
TEST_F(OpenTest, ADamagedFileIsRefusedUnchangedAndRecoverIsNamed) {
  std::string path = Build("damaged.tal", {});
  memory_env_.disk().SetFile(path, FileBytes(path) + std::string("\x80\0\0\0\0\0\0\0", 8));
  std::string bytes = FileBytes(path);
  EXPECT_FALSE(TryOpen(path));
  EXPECT_EQ(ui_.messages.back().title, "Not a Tally File");
  EXPECT_THAT(ui_.messages.back().text, ::testing::HasSubstr("woodtick-cli recover"));
  EXPECT_EQ(FileBytes(path), bytes);
}

TEST_F(OpenTest, AMissingUnitColumnIsNamed) {
  std::string path = Build("units.tal", {.num_units = 2});
  {
    DataStore store(nullptr, env_);
    ASSERT_EQ(store.Open(path, false), kStoreOk);
    StandardSlots slots = OpenAllViews(store, false);
    PutSetting(store, slots.globals, "Tally", "NumUnits", "3");
    ASSERT_EQ(store.Commit(), kStoreOk);
  }
  TallyModel model(ui_, {env_});
  model.SetStartupFile(path);
  EXPECT_FALSE(model.OpenTallyFile());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_THAT(ui_.messages[0].text, ::testing::HasSubstr("Tally.U003Count, Tally.U003Hit"));
}

TEST_F(OpenTest, MissingSettingRowsGetTheirDefaultsWritten) {
  std::string path = Build("bare.tal", {});
  {
    DataStore store(nullptr, env_);
    ASSERT_EQ(store.Open(path, false), kStoreOk);
    StandardSlots slots = OpenAllViews(store, false);
    store.View(slots.globals).SetSize(0);
    ASSERT_EQ(store.Commit(), kStoreOk);
  }
  TallyModel& model = Open(path);
  EXPECT_EQ(model.settings().num_units(), 1);
  EXPECT_EQ(model.settings().cur_unit(), 1);
  EXPECT_EQ(model.settings().save_interval(), 1);
  EXPECT_FALSE(model.sound());
  model_.reset();
  std::vector<std::string> settings;
  for (const auto& row : DiskRows(path, "Globals")) {
    settings.push_back(row[0] + "/" + row[1] + "=" + row[2]);
  }
  EXPECT_THAT(settings,
              ::testing::UnorderedElementsAre("Tally/NumUnits=1", "Tally/CurUnit=1",
                                              "Tally/TablesDefined=", "System/SaveInterval=1",
                                              "System/Sound=N", "System/ShowCountsOnButtons=N",
                                              "System/ShowNumBox=N", "System/Version=2005.05.03"));
  EXPECT_THAT(DiskLog(path),
              ElementsAre("Tally File Opened", "New Woodtick Version", "Tally File Closed"));
}

TEST_F(OpenTest, SetupReopensTheFileAttachedAroundTheScreenAndAfresh) {
  std::string path = Build("setup.tal", {.populations = {{.key = "a", .label = "Aspen"}}});
  TallyModel& model = Open(path);
  int state_in_setup = 0;
  ui_.setup_screen = [&](TallyModel& m, DataStore& store, int) {
    state_in_setup = store.state();
    m.settings().SetSaveIntervalItem(24, "25");
    m.SetSound(true);
  };
  model.RunSetup();
  EXPECT_EQ(ui_.setup_runs, 1);
  EXPECT_EQ(ui_.setup_populations, 1);
  EXPECT_EQ(state_in_setup, 1);
  EXPECT_TRUE(model.is_open());
  EXPECT_EQ(model.settings().save_interval(), 25);
  EXPECT_TRUE(model.sound());
  EXPECT_EQ(ui_.busy_depth, 0);
  EXPECT_EQ(model.store()->state(), 2);
  model_.reset();
  EXPECT_THAT(DiskLog(path),
              ElementsAre("Tally File Opened", "Tally File Opened", "Tally File Closed"));
}

TEST_F(OpenTest, UnitsChangedInSetupAreTalliedIntoAfterwards) {
  std::string path = Build("units.tal", {.populations = {{.key = "A", .label = "Ash"}}});
  TallyModel& model = Open(path);
  Press("A");
  ui_.setup_screen = [](TallyModel& m, DataStore&, int) { m.SetNumberOfUnits("2"); };
  model.RunSetup();
  model.tallying().SetCurrentUnit("002");
  Press("AA");
  model_.reset();
  EXPECT_THAT(DiskRows(path, "Tally")[0],
              ElementsAre("A", "Ash", "", "C", "1", "", "1", "1", "2", "2"));
}

TEST_F(OpenTest, ACommitFailureIsToldOncePerStreakAndNoTallyIsLost) {
  std::string path =
      Build("flaky.tal", {.populations = {{.key = "A", .label = "Ash", .meth = " "}}});
  mk::FaultInjectionFileSystem& fs = fault_fs_;
  TallyModel& model = Open(path);
  fs.FailOpen(mk::FaultInjectionFileSystem::Error::kAccess);
  Press("AAA");  // SaveInterval 1: every tally tries to commit
  auto failures = [&] {
    int n = 0;
    for (const Message& m : ui_.messages) n += m.title == "Data Not Saved";
    return n;
  };
  EXPECT_EQ(failures(), 1);
  EXPECT_EQ(DiskRows(path, "Tally")[0][6], "0");
  fs.Disarm();
  Press("A");
  EXPECT_EQ(DiskRows(path, "Tally")[0][6], "4");
  EXPECT_EQ(failures(), 1);
  fs.FailOpen(mk::FaultInjectionFileSystem::Error::kAccess);
  Press("AA");
  EXPECT_EQ(failures(), 2);
  fs.Disarm();
  EXPECT_EQ(model.Commit(), kStoreOk);
  EXPECT_EQ(DiskRows(path, "Tally")[0][6], "6");
}

TEST_F(OpenTest, CloseLogsCommitsAndForgetsTheStore) {
  std::string path = Build("close.tal", {});
  TallyModel& model = Open(path);
  model.CloseTallyFile();
  EXPECT_FALSE(model.is_open());
  EXPECT_EQ(model.store(), nullptr);
  EXPECT_THAT(DiskLog(path), ElementsAre("Tally File Opened", "Tally File Closed"));
  model.CloseTallyFile();  // a second close writes nothing
  EXPECT_THAT(DiskLog(path), ElementsAre("Tally File Opened", "Tally File Closed"));
}

TEST(CreateTallyFileTest, MakesAnOpenableFileAndNeverOverwrites) {
  MemoryEnv env;
  mk::FileSystem* disk = &env.disk();
  std::string path = "/tally/new.tal";
  std::string message;
  ASSERT_EQ(CreateTallyFile(path, &message, env), 0) << message;
  EXPECT_THAT(DiskColumns(path, "Tally", disk), ElementsAre("Key", "Label", "Desc", "Meth", "Freq",
                                                            "DatTable", "U001Count", "U001Hit"));
  EXPECT_EQ(DiskRows(path, "DataDictionary", disk).size(), 8u);
  std::string bytes = FileBytes(path, disk);
  EXPECT_EQ(CreateTallyFile(path, &message, env), EEXIST);
  EXPECT_EQ(FileBytes(path, disk), bytes);
}

}  // namespace
}  // namespace woodtick
