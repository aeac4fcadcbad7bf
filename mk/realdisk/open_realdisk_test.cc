// Opening what is not a datafile on a real disk: a named pipe, a folder or
// a device is refused at once (never waited on), and a huge file that is no
// datafile is refused from its tails, without being read.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/storage.h"
#include "mk/testing/read_counting_file_system.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

class OpenRealDiskTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeScratchDir("open-realdisk"); }
  void TearDown() override {
    alarm(0);
    std::filesystem::remove_all(dir_);
  }

  // Opening `path` fails at once, with a message naming it and `kind`.
  void ExpectRefused(const std::string& path, const std::string& kind) {
    SCOPED_TRACE(path);
    alarm(20);  // a wait would otherwise hang the test run
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path, &storage);
    alarm(0);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    EXPECT_NE(s.message().find(kind), std::string::npos) << s.message();
  }

  // Opening `path` fails for `reason` having read fewer than `most` bytes.
  void ExpectRefusedAfterReading(const std::string& path, const std::string& reason,
                                 uint64_t most) {
    ReadCountingFileSystem fs;
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path, &storage, &fs);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(reason), std::string::npos) << s.message();
    EXPECT_LT(fs.read(), most);
  }

  std::string dir_;
};

TEST_F(OpenRealDiskTest, NamedPipeFolderAndDeviceAreRefusedAtOnce) {
  std::string fifo = dir_ + "/pipe.tal";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ExpectRefused(fifo, "named pipe");
  ExpectRefused(dir_, "folder");
  ExpectRefused("/dev/null", "device");
  EXPECT_FALSE(std::filesystem::is_regular_file(fifo)) << "the pipe was replaced";
}

// 1.9 GB of zeros (a sparse file): the tails say it is no datafile, so
// nothing more than a few marks and the first 4 KB is read.
TEST_F(OpenRealDiskTest, HugeFileThatIsNoDatafileIsRefusedFromItsTails) {
  std::string path = dir_ + "/huge.tal";
  WriteBytes(path, "");
  std::filesystem::resize_file(path, uint64_t{1900} << 20);
  ExpectRefusedAfterReading(path, "not a Metakit datafile", 8192);
}

// A datafile is read whole only once its framing is sound; a broken tail
// costs no more than reading the marks.
TEST_F(OpenRealDiskTest, DamagedTailsAreFoundBeforeTheFileIsRead) {
  std::string path = dir_ + "/big.tal";
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(path, &storage).ok());
    View v = storage->GetAs("Notes[Text:S]");
    v.SetSize(200);
    for (int r = 0; r < 200; ++r) v.SetString(r, 0, std::string(1000, 'n'));
    ASSERT_TRUE(storage->Commit().ok());
  }
  std::string bytes = ReadBytes(path);
  bytes[bytes.size() - 16] = '\x7f';  // the skip tail's tag
  WriteBytes(path, bytes);
  ExpectRefusedAfterReading(path, "damaged", 8192);
}

}  // namespace
}  // namespace mk
