// woodtick-cli: dispatch, usage errors and the datafile commands.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "mk/top_level.h"
#include "mk/view.h"
#include "mk/writer.h"
#include "platform/temp_dir.h"
#include "tools/commands.h"

namespace woodtick {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kFixtures = WOODTICK_TESTDATA "/mk/";

struct Result {
  int status;
  std::string out, err;
};

Result Cli(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CliTest, UsageErrorsSayWhatWasExpected) {
  Result r = Cli({});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("expected a command"), std::string::npos);
  r = Cli({"frobnicate"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown command 'frobnicate'"), std::string::npos);
  r = Cli({"\x1b]0;title\x07" + std::string(500, 'x')});
  EXPECT_NE(r.err.find("unknown command '\\x1B]0;title\\x07xxx"), std::string::npos) << r.err;
  EXPECT_LT(r.err.size(), 200u);
  r = Cli({"dump"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("usage: woodtick-cli dump FILE"), std::string::npos);
  r = Cli({"check", "a", "b"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("pack FILE"), std::string::npos);
}

// Every command answers --help and help COMMAND with its own usage and
// touches no file; an unknown option or a missing value is refused with the
// usage; "--" ends the options; every error line names the program.
TEST(CliTest, CommandLineHabits) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out_has, err_has;
  };
  std::vector<Case> cases;
  for (const CliCommand& c : CliCommands()) {
    std::string usage = std::string("Usage: woodtick-cli ") + c.name + " ";
    cases.push_back({{c.name, "--help"}, 0, usage, ""});
    cases.push_back({{"help", c.name}, 0, usage, ""});
    cases.push_back({{c.name, "x.tal", "-h"}, 0, usage, ""});
    cases.push_back({{c.name, "--no-such", "x.tal"},
                     2,
                     "",
                     std::string("woodtick-cli: usage: woodtick-cli ") + c.name + " "});
  }
  std::vector<Case> more = {
      {{"export", "--output", "--help", "x.tal"}, 0, "--format=csv|sqlite", ""},
      {{"export", "--format"}, 2, "", "woodtick-cli: export: option '--format' needs a value"},
      {{"export", "--format=csv", "--output"}, 2, "", "option '--output' needs a value"},
      {{"export", "x.tal", "--form", "csv"}, 2, "", "--output is missing"},
      {{"dump", "a", "b"}, 2, "", "woodtick-cli: dump: too many arguments"},
      {{"help", "frobnicate"}, 2, "", "unknown command 'frobnicate'"},
      {{"--frobnicate"}, 2, "", "unknown option '--frobnicate'"},
      {{"summary", "--", "--help"}, 1, "", "woodtick-cli: --help cannot be opened"},
      {{"check", "--", "-h"}, 1, "", "woodtick-cli: -h: "},
  };
  cases.insert(cases.end(), more.begin(), more.end());

  TempDir dir;
  fs::path old_dir = fs::current_path();
  fs::current_path(dir.path());
  for (const Case& c : cases) {
    std::string line = ::testing::PrintToString(c.args);
    Result r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << line << r.err;
    EXPECT_THAT(r.out, HasSubstr(c.out_has)) << line;
    EXPECT_THAT(r.err, HasSubstr(c.err_has)) << line;
    if (c.status == 0) {
      EXPECT_EQ(r.err, "") << line;
    } else {
      EXPECT_EQ(r.out, "") << line;
    }
    std::istringstream err(r.err);
    for (std::string text; std::getline(err, text);) {
      EXPECT_THAT(text, StartsWith("woodtick-cli: ")) << line;
    }
    if (c.args.size() == 2 && c.args[0] == "help" && c.args[1][0] != '-') {
      EXPECT_EQ(r.out, Cli({c.args[1], "--help"}).out) << line;
    }
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_EQ(Cli({"new", "--", "--help"}).status, 0);
  EXPECT_TRUE(fs::exists(dir.File("--help")));
  fs::current_path(old_dir);
}

TEST(CliTest, DumpAndCheckReadFixtures) {
  Result r = Cli({"dump", kFixtures + "sample.tal"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Slurp(kFixtures + "sample.tal.dump"));
  r = Cli({"check", kFixtures + "sample.tal"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kFixtures + "sample.tal: sound, 6 views, 38 rows\n");
}

TEST(CliTest, CheckReportsBadFilesWithoutCreatingMissingOnes) {
  fs::path dir = fs::temp_directory_path() / ("cli-test-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::string missing = (dir / "missing.mk").string();
  Result r = Cli({"check", missing});
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(fs::exists(missing));
  std::string bad = (dir / "bad.mk").string();
  std::string bytes = Slurp(kFixtures + "globals.mk");
  std::ofstream(bad, std::ios::binary) << bytes.substr(0, bytes.size() - 3);
  r = Cli({"check", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(bad), std::string::npos);
  EXPECT_TRUE(r.out.empty());

  // recover writes the sound state of a damaged file to a new file only.
  std::string trailing = (dir / "trailing.mk").string();
  std::ofstream(trailing, std::ios::binary) << bytes << std::string("\x80\0\0\0\0\0\0\0", 8);
  EXPECT_EQ(Cli({"check", trailing}).status, 1);
  std::string recovered = (dir / "recovered.mk").string();
  r = Cli({"recover", trailing, recovered});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("is unchanged"), std::string::npos) << r.out;
  EXPECT_EQ(Cli({"dump", recovered}).out, Slurp(kFixtures + "globals.mk.dump"));
  EXPECT_EQ(Cli({"recover", trailing, recovered}).status, 1) << "an existing file overwritten";
  // A file cut short still has its root walk and blocks.
  EXPECT_EQ(Cli({"recover", bad, (dir / "uncut.mk").string()}).status, 0);
  EXPECT_EQ(Cli({"dump", (dir / "uncut.mk").string()}).out, Slurp(kFixtures + "globals.mk.dump"));
  std::string text = (dir / "text.mk").string();
  std::ofstream(text) << std::string(200, 't');
  EXPECT_EQ(Cli({"recover", text, (dir / "none.mk").string()}).status, 1);
  EXPECT_FALSE(fs::exists(dir / "none.mk"));

  std::string copy = (dir / "copy.mk").string();
  fs::copy_file(kFixtures + "recommit.mk", copy);
  fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
  r = Cli({"pack", copy});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_LT(fs::file_size(copy), fs::file_size(kFixtures + "recommit.mk"));
  EXPECT_EQ(Cli({"dump", copy}).out, Slurp(kFixtures + "recommit.mk.dump"));
  fs::remove_all(dir);
}

TEST(CliTest, TopLevelValuesOfOtherMetakitSoftwareAreSound) {
  fs::path dir = fs::temp_directory_path() / ("cli-values-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::string path = (dir / "values.mk").string();
  std::vector<mk::TopLevel> top = {mk::ValueEntry(mk::Field{"when", 'S'}),
                                   mk::ViewEntry("v", mk::View::FromDescription("b:S").impl()),
                                   mk::ValueEntry(mk::Field{"n", 'I'})};
  mk::View(top[0].table).SetString(0, 0, "2005.05.03");
  mk::View(top[1].table).SetSize(2);
  mk::View(top[2].table).SetInt(0, 0, 12);
  std::ofstream(path, std::ios::binary)
      << mk::PackedImage(mk::PlanCommit(top, mk::PlanOptions()), false);
  Result r = Cli({"check", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, path + ": sound, 1 view, 2 rows, 2 values\n");
  r = Cli({"dump", path});
  EXPECT_EQ(r.out,
            "structure: when:S,v[b:S],n:I\nscalar when:S\n2005.05.03\nview v rows=2\n"
            "columns: b:S\n\n\nscalar n:I\n12\n");
  EXPECT_EQ(Cli({"pack", path}).status, 0);
  EXPECT_EQ(Cli({"dump", path}).out, r.out);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace woodtick
