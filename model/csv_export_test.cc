#include "model/csv_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

// The export lands in the current folder, as the program's does; like the
// tally files, it is written to the model's memory machine.
class CsvExportTest : public ModelTest {
 protected:
  // Where the export named `name` lands.
  static std::string Csv(const std::string& name) {
    return std::filesystem::absolute(name).string();
  }

  // The names of the blocks: a "[name]" line followed by "name[...".
  static std::vector<std::string> BlockNames(const std::string& csv) {
    std::vector<std::string> lines;
    for (size_t pos = 0, end; (end = csv.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
      lines.push_back(csv.substr(pos, end - pos));
    }
    std::vector<std::string> names;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line.size() < 2 || line.front() != '[' || line.back() != ']') continue;
      std::string name = line.substr(1, line.size() - 2);
      if (lines[i + 1].starts_with(name + "[")) names.push_back(name);
    }
    return names;
  }
};

TEST_F(CsvExportTest, Plot7ExportsGlobalsTallyAndTheLogByteForByte) {
  std::string path = Build("plot7.tal", {.populations = {{.key = "S",
                                                          .label = "Smith, J",
                                                          .desc = "Surveyor's pick",
                                                          .meth = " ",
                                                          .freq = 0.25}}});
  TallyModel& model = Open(path);
  Press("S");
  ASSERT_TRUE(model.utilities().ExportCsv());
  const std::string expected =
      "[Globals]\r\n"
      "Globals[Block:S,Key:S,Value:S]\r\n"
      "Block,Key,Value\r\n"
      "System,Version,2005.05.03\r\n"
      "System,SaveInterval,1\r\n"
      "System,Sound,N\r\n"
      "System,ShowCountsOnButtons,N\r\n"
      "System,ShowNumBox,N\r\n"
      "Tally,NumUnits,1\r\n"
      "Tally,CurUnit,1\r\n"
      "Tally,TablesDefined,\r\n"
      "[Tally]\r\n"
      "Tally[Key:S,Label:S,Desc:S,Meth:S,Freq:D,DatTable:S,U001Count:L,U001Hit:L]\r\n"
      "Key,Label,Desc,Meth,Freq,DatTable,U001Count,U001Hit\r\n"
      "S,Smith^ J,Surveyor's pick, ,0.25,,1,0\r\n"
      "[MessageLog]\r\n"
      "MessageLog[MsgNum:S,Msg:S,Date:S,Time:S,Level:S,Note:S]\r\n"
      "MsgNum,Msg,Date,Time,Level,Note\r\n"
      ",Tally File Opened,05/03/2005,09:05,I," +
      path +
      "\r\n"
      ",Data Exported,05/03/2005,09:05,A," +
      path + "\r\n";
  EXPECT_EQ(FileBytes(Csv("plot7.csv")), expected);
  ASSERT_NE(ui_.LastMessage(), nullptr);
  // Named with its folder, so it can be found.
  EXPECT_EQ(ui_.LastMessage()->text,
            "All of the data has been exported to this file:\n" + Csv("plot7.csv"));
  EXPECT_EQ(ui_.LastMessage()->title, "Data Exported");
  EXPECT_EQ(ui_.LastMessage()->icon, MessageIcon::kInformation);
  EXPECT_FALSE(ui_.busy_during_message);
}

TEST_F(CsvExportTest, TablesFollowTablesDefinedAndASecondExportReplacesTheFirst) {
  std::string path =
      Build("stand.tal",
            {.tables = {{.name = "Plots", .columns = {"Unit", "Slope"}, .rows = {{"001", "12"}}},
                        {.name = "Trees", .columns = {"Unit", "Dbh"}, .rows = {{"001", "30,5"}}}},
             .settings = {{"Tally", "TablesDefined", "Trees, Ghost,Plots"}}});
  TallyModel& model = Open(path);
  ASSERT_TRUE(model.utilities().ExportCsv());
  std::string first = FileBytes(Csv("stand.csv"));
  EXPECT_THAT(BlockNames(first), ElementsAre("Globals", "Tally", "Trees", "Plots", "MessageLog"));
  EXPECT_NE(first.find("[Trees]\r\nTrees[Unit:S,Dbh:S]\r\nUnit,Dbh\r\n001,30^5\r\n[Plots]"),
            std::string::npos);
  ASSERT_TRUE(model.utilities().ExportCsv());
  std::string second = FileBytes(Csv("stand.csv"));
  EXPECT_THAT(BlockNames(second), ElementsAre("Globals", "Tally", "Trees", "Plots", "MessageLog"));
  size_t exported = 0;
  for (size_t pos = 0; (pos = second.find(",Data Exported,", pos)) != std::string::npos; ++pos) {
    ++exported;
  }
  EXPECT_EQ(exported, 2u);
  std::string log_line = ",Data Exported,05/03/2005,09:05,A," + path + "\r\n";
  EXPECT_EQ(second.size(), first.size() + log_line.size());
}

TEST_F(CsvExportTest, AnExportFileHeldElsewhereIsToldAndNothingLogged) {
  std::string path = Build("held.tal", {});
  TallyModel& model = Open(path);
  const std::string csv = Csv("held.csv");
  memory_env_.disk().SetFile(csv, "old");
  std::unique_ptr<FileLock> other = env_->NewLock();  // another program's
  ASSERT_EQ(other->Acquire(csv), 0);
  EXPECT_FALSE(model.utilities().ExportCsv());
  EXPECT_EQ(ui_.LastMessage()->text,
            "held.csv is in use by another application!\nClose it and try again.");
  EXPECT_EQ(ui_.LastMessage()->title, "File Already Open");
  EXPECT_EQ(FileBytes(csv), "old");
  model.Commit();
  EXPECT_THAT(DiskLog(path), ElementsAre("Tally File Opened"));
}

TEST_F(CsvExportTest, AnUnwritableExportIsNotReportedAsDone) {
  std::string path = Build("ro.tal", {});
  TallyModel& model = Open(path);
  memory_env_.disk().SetFile(Csv("ro.csv"), "old");
  memory_env_.SetReadOnly(Csv("ro.csv"));
  EXPECT_FALSE(model.utilities().ExportCsv());
  EXPECT_EQ(FileBytes(Csv("ro.csv")), "old");
  EXPECT_EQ(ui_.LastMessage()->title, "Data Not Exported");
  // The log tells what happened, in the file too.
  EXPECT_THAT(DiskLog(path), ElementsAre("Tally File Opened", "Data Not Exported"));
  EXPECT_EQ(DiskRows(path, "MessageLog").back()[4], "A");
}

}  // namespace
}  // namespace woodtick
