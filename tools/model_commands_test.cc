#include "tools/model_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/testing/fake_ui.h"
#include "model/testing/model_fixture.h"
#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"
#include "tools/commands.h"

namespace woodtick {
namespace {

using ::testing::HasSubstr;

TEST(NewCommandTest, MakesAFileTheProgramOpensAndNeverOverwrites) {
  TempDir dir;
  std::string path = dir.File("start.tal");
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"new", path}, out, err), 0) << err.str();
  FakeUi ui;
  {
    TallyModel model(ui);
    model.SetStartupFile(path);
    ASSERT_TRUE(model.OpenTallyFile());
    EXPECT_EQ(model.settings().num_units(), 1);
    EXPECT_EQ(model.num_populations(), 0);
    EXPECT_EQ(model.settings().save_interval(), 1);
    EXPECT_TRUE(ui.messages.empty());
  }
  std::string bytes = FileBytes(path);
  std::ostringstream out2, err2;
  EXPECT_EQ(RunCli({"new", path}, out2, err2), 1);
  EXPECT_THAT(err2.str(), HasSubstr("already exists"));
  EXPECT_EQ(FileBytes(path), bytes);
}

TEST(ExportCommandTest, WritesTheScreensExportIntoTheCurrentDirectoryAndLogsIt) {
  TempDir dir;
  std::string path = dir.File("stand.tal");
  std::string error;
  ASSERT_TRUE(BuildTallyFile(
      path,
      {.populations = {{.key = "A",
                        .label = "Ash, white",
                        .desc = "",
                        .meth = "C",
                        .freq = 1,
                        .dat_table = "Trees"}},
       .tables = {{.name = "Trees", .columns = {"Unit", "Num"}, .rows = {{"001", "1"}}}},
       .settings = {}},
      &error))
      << error;
  std::filesystem::path old_dir = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  std::ostringstream out, err;
  int result = RunCli({"export", "stand.tal"}, out, err);
  std::filesystem::current_path(old_dir);
  ASSERT_EQ(result, 0) << err.str();
  // Named with its folder, so it can be found.
  EXPECT_EQ(out.str(),
            "All of the data has been exported to this file:\n" + dir.File("stand.csv") + "\n");
  std::string csv = FileBytes(dir.File("stand.csv"));
  EXPECT_THAT(csv, HasSubstr("[Trees]\r\nTrees[Unit:S,Num:S]\r\nUnit,Num\r\n001,1\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\nA,Ash^ white,,C,1,Trees,0,0\r\n"));
  EXPECT_THAT(csv, HasSubstr(",Data Exported,"));
  Rows log = DiskRows(path, "MessageLog");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0][1], "Data Exported");
  EXPECT_EQ(log[0][5], path);
}

TEST(ExportCommandTest, RefusesWhatIsNotATallyFile) {
  TempDir dir;
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"export", dir.File("missing.tal")}, out, err), 1);
  std::string path = dir.File("empty.tal");
  { std::ofstream(path) << ""; }
  EXPECT_EQ(RunCli({"export", path}, out, err), 1);
  EXPECT_THAT(err.str(), HasSubstr("lacks"));
}

TEST(SummaryCommandTest, PrintsTheTableWithoutWritingTheFile) {
  TempDir dir;
  std::string path = dir.File("plot.tal");
  std::string error;
  ASSERT_TRUE(BuildTallyFile(path,
                             {.num_units = 2,
                              .populations = {{.key = "A", .label = "Ash", .meth = "S", .freq = 4}},
                              .tables = {},
                              .settings = {}},
                             &error))
      << error;
  {
    FakeUi ui;
    TallyModel model(ui);
    model.SetStartupFile(path);
    ASSERT_TRUE(model.OpenTallyFile());
    for (int i = 0; i < 5; ++i) model.tallying().SetKeyBoxText("A");
  }
  const std::string bytes = FileBytes(path);
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"summary", path}, out, err), 0) << err.str();
  EXPECT_EQ(out.str(),
            "Population  Key  001 C  001 M  002 C  002 M  Total C  Total M  Measured  Aimed\n"
            "Ash           A      5      2      0      0        5        2     40.0%  25.0%\n"
            "Total                5      2      0      0        5        2     40.0%\n");
  EXPECT_EQ(FileBytes(path), bytes);
  EXPECT_EQ(RunCli({"summary", dir.File("missing.tal")}, out, err), 1);
}

// Every command that writes a tally file takes the lock the program holds
// and refuses a held file without touching it.
TEST(HeldFileCommandTest, PackExportAndNewRefuseAFileTheProgramHolds) {
  TempDir dir;
  std::string path = dir.File("held.tal");
  std::string error;
  ASSERT_TRUE(BuildTallyFile(path, {.populations = {{.key = "A", .label = "Ash"}}}, &error));
  FakeUi ui;
  TallyModel program(ui);
  program.SetStartupFile(path);
  ASSERT_TRUE(program.OpenTallyFile());
  std::string bytes = FileBytes(path);

  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"pack", path}, out, err), 1);
  EXPECT_THAT(err.str(), HasSubstr("held.tal is in use by another application"));

  std::filesystem::path old_dir = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(RunCli({"export", "held.tal"}, out, err), 1);
  std::filesystem::current_path(old_dir);
  EXPECT_THAT(err.str(), HasSubstr("held.tal is in use by another application"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("held.csv")));

  EXPECT_EQ(RunCli({"new", path}, out, err), 1);
  EXPECT_THAT(err.str(), HasSubstr("already exists and is in use by another application"));
  EXPECT_EQ(FileBytes(path), bytes);
  EXPECT_EQ(out.str(), "");

  // Read-only commands still read a held file.
  std::ostringstream check_out, check_err;
  EXPECT_EQ(RunCli({"check", path}, check_out, check_err), 0) << check_err.str();
  program.CloseTallyFile();
  std::ostringstream pack_out, pack_err;
  EXPECT_EQ(RunCli({"pack", path}, pack_out, pack_err), 0) << pack_err.str();
}

TEST(ImportPopulationsCommandTest, ARefusedListLeavesTheFileByteForByteAndNamesTheBadRows) {
  struct Case {
    std::string csv;
    std::vector<std::string> named;  // what the refusal names
  };
  const std::string header = "Label,Key,Meth,Freq,DatTable\r\n";
  std::string too_many = "Key,Label\n";
  for (char k = 'B'; k <= 'V'; ++k) too_many += std::string(1, k) + ",Pop " + k + "\n";
  std::string twelve_bad = "Key,Label\n";
  for (int i = 0; i < 12; ++i) twelve_bad += "??,x\n";
  const Case cases[] = {
      {header + "Birch,a,C,1,\n", {"Row 2", "key a is already used"}},
      {header + "Birch,B,C,1,\nBeech,b,C,1,\n", {"Row 3", "key b"}},
      {header + "Birch,B,X,1,\n", {"method 'X'"}},
      {header + "Birch,B,S,0,\nElm,E,S,-2,\nFir,F,S,abc,\n",
       {"Row 2", "Row 3", "Row 4", "frequency '0'", "'abc'"}},
      {header + "Birch,B,C,1,Plots\n", {"data table 'Plots'"}},
      {header + "Birch,B,C,1,trees\n", {"data table 'trees'"}},
      {header + "Bi\xE2\x9C\x93rch,B,C,1,\n", {"character a tally file cannot hold"}},
      {header + "\"Birch,B,C,1,\n", {"never closed"}},
      {"Key,Name\nB,Birch\n", {"column 'Name'", "column Label"}},
      {too_many, {"at most 20"}},
      {twelve_bad, {"Row 11:", "and 2 more bad rows"}},
  };
  TempDir dir;
  const std::string path = dir.File("stand.tal");
  const std::string list = dir.File("list.csv");
  std::string error;
  ASSERT_TRUE(BuildTallyFile(path,
                             {.populations = {{.key = "A", .label = "Aspen"}},
                              .tables = {{.name = "Trees", .columns = {"Unit"}}}},
                             &error))
      << error;
  const std::string before = FileBytes(path);
  for (const Case& c : cases) {
    std::ofstream(list, std::ios::binary) << c.csv;
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"import-populations", path, list}, out, err), kCliFailed) << c.csv;
    for (const std::string& named : c.named) EXPECT_THAT(err.str(), HasSubstr(named)) << c.csv;
    EXPECT_EQ(FileBytes(path), before) << c.csv;
  }
  std::ofstream(list, std::ios::binary) << "Key,Label\nB,Birch\n";
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"import-populations", path, list}, out, err), kCliOk) << err.str();
  EXPECT_EQ(DiskRows(path, "Tally").size(), 2u);
}

}  // namespace
}  // namespace woodtick
