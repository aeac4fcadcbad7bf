// A failure says what kind it is, whichever layer made it and however many
// layers put their context in front of its message.
#include "mk/status.h"

#include <filesystem>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/storage.h"
#include "mk/testing/fault_injection_file_system.h"
#include "mk/testing/test_support.h"

namespace mk {
namespace {

class StatusCodeTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("status-code");
    path_ = dir_ + "/test.mk";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A datafile with one view of one row, committed.
  void Build() {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(path_, &storage).ok());
    storage->GetAs("G[k:S]").SetSize(1);
    ASSERT_TRUE(storage->Commit().ok());
  }

  std::string dir_;
  std::string path_;
};

TEST_F(StatusCodeTest, OpeningTellsDamagedFromMissing) {
  Build();
  std::string bytes = ReadBytes(path_);
  WriteBytes(path_, bytes.substr(0, bytes.size() - 3));
  std::unique_ptr<Storage> storage;
  Status damaged = Storage::Open(path_, &storage);
  EXPECT_TRUE(damaged.IsCorruption()) << damaged.message();

  // A file system that may not create the file finds nothing there.
  Status missing = Storage::Open(dir_ + "/absent.mk", &storage, ReadOnlyFileSystem());
  EXPECT_TRUE(missing.IsNotFound()) << missing.message();
  EXPECT_NE(missing.message().find("absent.mk"), std::string::npos) << missing.message();
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/absent.mk"));
}

TEST_F(StatusCodeTest, CommitTellsFaultsRemovalAndAnotherWriter) {
  Build();
  FaultInjectionFileSystem faulty;
  std::unique_ptr<Storage> mine;
  ASSERT_TRUE(Storage::Open(path_, &mine, &faulty).ok());
  mine->GetView("G").SetString(0, 0, "mine");
  for (auto error :
       {FaultInjectionFileSystem::Error::kNoSpace, FaultInjectionFileSystem::Error::kIo}) {
    faulty.StopAfter(0, error);
    Status s = mine->Commit();
    EXPECT_TRUE(s.IsIOError()) << s.message();
    EXPECT_NE(s.message().find(path_), std::string::npos) << s.message();
    faulty.Disarm();
  }
  faulty.FailOpen(FaultInjectionFileSystem::Error::kAccess);
  EXPECT_TRUE(mine->Commit().IsIOError());
  faulty.Disarm();

  // Another writer committed in between: this storage must not write over it.
  {
    std::unique_ptr<Storage> other;
    ASSERT_TRUE(Storage::Open(path_, &other).ok());
    other->GetView("G").SetString(0, 0, "theirs");
    ASSERT_TRUE(other->Commit().ok());
  }
  Status changed = mine->Commit();
  EXPECT_TRUE(changed.IsChangedElsewhere()) << changed.message();

  // Commits never create the file again once it is gone.
  std::filesystem::remove(path_);
  Status gone = mine->Commit();
  EXPECT_TRUE(gone.IsNotFound()) << gone.message();
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST(StatusTest, PrefixKeepsTheKindAndSuccessStaysSuccess) {
  Status s = Status::IOError("cannot write").Prefixed("a.mk: ");
  EXPECT_EQ(s.code(), Status::Code::kIOError);
  EXPECT_EQ(s.message(), "a.mk: cannot write");
  Status ok = Status::Ok().Prefixed("a.mk: ");
  EXPECT_TRUE(ok.ok());
  EXPECT_EQ(ok.message(), "");
}

}  // namespace
}  // namespace mk
