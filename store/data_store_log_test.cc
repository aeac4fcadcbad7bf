#include <gtest/gtest.h>

#include "mk/testing/test_support.h"
#include "platform/testing/memory_env.h"
#include "store/data_store.h"
#include "store/store_test_util.h"

namespace woodtick {
namespace {

class DataStoreLogTest : public ::testing::Test {
 protected:
  DataStoreLogTest() { clock_.Set({2005, 5, 3, 9, 5, 0}); }

  // A copy of the fixture file `source` in memory, under `name`.
  std::string CopyIn(const std::string& source, const std::string& name) {
    std::string path = "/store/" + name;
    env_.disk().SetFile(path, mk::ReadBytes(source));
    return path;
  }

  RecordingReporter reporter_;
  MemoryEnv env_;
  FixedClock& clock_ = env_.fixed_clock();
  mk::FileSystem* disk_ = &env_.disk();
  DataStore store_{&reporter_, &env_};
};

TEST_F(DataStoreLogTest, LoggingCreatesAMissingLogAndStampsDateAndTime) {
  std::string path = CopyIn(Fixture("globals.mk"), "globals.tal");
  ASSERT_EQ(store_.Open(path, false), kStoreOk);
  ASSERT_EQ(store_.LogMessage("Tally File Opened", "I", path), kStoreOk);
  clock_.Set({2005, 12, 24, 14, 30, 59});
  ASSERT_EQ(store_.LogMessage("Data Exported", "A", ""), kStoreOk);

  EXPECT_NE(FileStructure(path, disk_).find(DataStore::kMessageLogDescription), std::string::npos);
  Rows rows = FileRows(path, "MessageLog", disk_);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0],
            (std::vector<std::string>{"", "Tally File Opened", "05/03/2005", "09:05", "I", path}));
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"", "Data Exported", "12/24/2005", "14:30", "A", ""}));
  // The slot it used was temporary.
  EXPECT_EQ(store_.FindView(DataStore::kMessageLogDescription), kStoreNotFound);
  EXPECT_EQ(store_.FindView("MessageLog"), kStoreNotFound);
}

TEST_F(DataStoreLogTest, TallyPatternLogsIntoTheKeptCopyAndCommitsEverything) {
  std::string path = CopyIn(Fixture("sample.tal"), "sample.tal");
  ASSERT_EQ(store_.Open(path, true), kStoreOk);
  int log = store_.OpenAView("MessageLog", true);
  int tally = store_.OpenAView("Tally", true);
  ASSERT_EQ(store_.Close(true), kStoreOk);
  store_.SetInt(tally, 2, 6, 9);

  ASSERT_EQ(store_.LogMessage("Counters Reset", "A", ""), kStoreOk);
  EXPECT_EQ(store_.View(log).GetSize(), 4);
  EXPECT_EQ(FileRows(path, "MessageLog", disk_).size(), 4u);
  EXPECT_EQ(FileRows(path, "Tally", disk_)[2][6], "9");

  ASSERT_EQ(store_.ClearMessageLog(), kStoreOk);
  EXPECT_EQ(FileRows(path, "MessageLog", disk_).size(), 4u);  // reaches the file at the next commit
  ASSERT_EQ(store_.LogMessage("Message Log Cleared", "A", ""), kStoreOk);
  Rows rows = FileRows(path, "MessageLog", disk_);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][1], "Message Log Cleared");
  EXPECT_EQ(rows[0][0], "");
}

TEST_F(DataStoreLogTest, NothingToWriteIntoWritesNothing) {
  std::string path = CopyIn(Fixture("sample.tal"), "sample.tal");
  ASSERT_EQ(store_.Open(path, true), kStoreOk);
  ASSERT_GE(store_.OpenAView("Tally", true), 0);
  ASSERT_EQ(store_.Close(true), kStoreOk);
  EXPECT_EQ(store_.LogMessage("Untally", "A", "x"), kStoreNotFound);
  EXPECT_EQ(FileRows(path, "MessageLog", disk_).size(), 3u);
  EXPECT_EQ(store_.GetViewIndex("Probe"), 1);  // no slot was left taken

  // A file without a log: clearing finds nothing and takes no slot.
  std::string bare = CopyIn(Fixture("globals.mk"), "globals.tal");
  ASSERT_EQ(store_.Open(bare, false), kStoreOk);
  EXPECT_EQ(store_.ClearMessageLog(), kStoreNotFound);
  EXPECT_EQ(store_.GetViewIndex("Probe"), 0);
  EXPECT_EQ(FileStructure(bare, disk_), FileStructure(Fixture("globals.mk")));
}

}  // namespace
}  // namespace woodtick
