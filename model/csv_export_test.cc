#include "model/csv_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;

// The export lands in the current directory, as the program's does: a real
// folder, since the export writes real files. The tally files stay in memory.
class CsvExportTest : public ModelTest {
 protected:
  void SetUp() override {
    old_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }
  void TearDown() override { std::filesystem::current_path(old_dir_); }

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

  TempDir dir_;  // the export folder
  std::filesystem::path old_dir_;
};

TEST_F(CsvExportTest, Plot7ExportsGlobalsTallyAndTheLogByteForByte) {
  std::string path = Build("plot7.tal", {.populations = {{.key = "S",
                                                          .label = "Smith, J",
                                                          .desc = "Surveyor's pick",
                                                          .meth = " ",
                                                          .freq = 0.25}}});
  TallyModel& model = Open(path);
  Press("S");
  ASSERT_TRUE(model.ExportCsv());
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
  EXPECT_EQ(woodtick::FileBytes(dir_.File("plot7.csv")), expected);
  ASSERT_NE(ui_.LastMessage(), nullptr);
  // Named with its folder, so it can be found.
  EXPECT_EQ(ui_.LastMessage()->text,
            "All of the data has been exported to this file:\n" + dir_.File("plot7.csv"));
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
  ASSERT_TRUE(model.ExportCsv());
  std::string first = woodtick::FileBytes(dir_.File("stand.csv"));
  EXPECT_THAT(BlockNames(first), ElementsAre("Globals", "Tally", "Trees", "Plots", "MessageLog"));
  EXPECT_NE(first.find("[Trees]\r\nTrees[Unit:S,Dbh:S]\r\nUnit,Dbh\r\n001,30^5\r\n[Plots]"),
            std::string::npos);
  ASSERT_TRUE(model.ExportCsv());
  std::string second = woodtick::FileBytes(dir_.File("stand.csv"));
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
  std::filesystem::path csv = dir_.File("held.csv");
  { std::ofstream(csv) << "old"; }
  SystemFileLock other;
  ASSERT_EQ(other.Acquire(csv.string()), 0);
  EXPECT_FALSE(model.ExportCsv());
  EXPECT_EQ(ui_.LastMessage()->text,
            "held.csv is in use by another application!\nClose it and try again.");
  EXPECT_EQ(ui_.LastMessage()->title, "File Already Open");
  EXPECT_EQ(woodtick::FileBytes(csv), "old");
  model.Commit();
  EXPECT_THAT(DiskLog(path), ElementsAre("Tally File Opened"));
}

TEST_F(CsvExportTest, AnUnwritableExportIsNotReportedAsDone) {
  std::string path = Build("ro.tal", {});
  TallyModel& model = Open(path);
  std::filesystem::create_directory(dir_.File("ro.csv"));  // a folder cannot be written as a file
  EXPECT_FALSE(model.ExportCsv());
  EXPECT_EQ(ui_.LastMessage()->title, "Data Not Exported");
  // The log tells what happened, in the file too.
  EXPECT_THAT(DiskLog(path), ElementsAre("Tally File Opened", "Data Not Exported"));
  EXPECT_EQ(DiskRows(path, "MessageLog").back()[4], "A");
}

}  // namespace
}  // namespace woodtick
