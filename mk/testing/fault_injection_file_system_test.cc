#include "mk/testing/fault_injection_file_system.h"

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/testing/memory_file_system.h"

namespace mk {
namespace {

using Fault = FaultInjectionFileSystem;

class FaultInjectionFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memory_.SetFile("f", std::string(1024, 'o'));
    ASSERT_TRUE(fs_.OpenFile("f", false, &file_).ok());
  }
  MemoryFileSystem memory_;
  Fault fs_{&memory_};
  std::unique_ptr<RandomAccessFile> file_;
};

TEST_F(FaultInjectionFileSystemTest, StopsAfterTheGivenOperationAndStaysStopped) {
  fs_.StopAfter(2, Fault::Error::kNoSpace);
  EXPECT_TRUE(file_->Write(0, "ab").ok());
  EXPECT_TRUE(file_->Sync().ok());
  EXPECT_FALSE(fs_.fired());
  Status failed = file_->Write(2, "cd");
  EXPECT_EQ(failed.message(), "cannot write: No space left on device");
  EXPECT_TRUE(fs_.fired());
  EXPECT_FALSE(file_->Sync().ok());
  EXPECT_FALSE(file_->Truncate(10).ok());
  EXPECT_EQ(memory_.GetFile("f").substr(0, 4), "aboo");
  EXPECT_EQ(fs_.writes(), 1);
  EXPECT_EQ(fs_.syncs(), 1);
  EXPECT_EQ(fs_.bytes_written(), 2u);
  fs_.Disarm();
  EXPECT_TRUE(file_->Write(2, "cd").ok());
  EXPECT_EQ(memory_.GetFile("f").substr(0, 4), "abcd");
  ASSERT_EQ(fs_.events().size(), 3u);
  EXPECT_EQ(fs_.events()[2].op, Fault::Op::kWrite);
  EXPECT_EQ(fs_.events()[2].offset, 2u);
}

TEST_F(FaultInjectionFileSystemTest, TearsTheInterruptedWrite) {
  fs_.StopAfter(0, Fault::Error::kIo, Fault::Tear::kHalf);
  EXPECT_FALSE(file_->Write(0, "abcdef").ok());
  EXPECT_EQ(memory_.GetFile("f").substr(0, 6), "abcooo");

  // Whole sectors only: a write inside one sector is lost entirely, one
  // across a boundary keeps the sectors before the cut.
  fs_.StopAfter(0, Fault::Error::kIo, Fault::Tear::kSectors);
  EXPECT_FALSE(file_->Write(8, "12345678").ok());
  EXPECT_EQ(memory_.GetFile("f").substr(8, 8), "oooooooo");
  fs_.StopAfter(0, Fault::Error::kIo, Fault::Tear::kSectors);
  EXPECT_FALSE(file_->Write(500, std::string(100, 'x')).ok());
  std::string after = memory_.GetFile("f");
  EXPECT_EQ(after.substr(500, 12), std::string(12, 'x'));
  EXPECT_EQ(after.substr(512, 88), std::string(88, 'o'));
}

TEST_F(FaultInjectionFileSystemTest, PowerCutTakesBackWhatWasNotSynced) {
  ASSERT_TRUE(file_->Write(0, "kept").ok());
  fs_.StopAfter(3, Fault::Error::kCrash, Fault::Tear::kNone, true);
  ASSERT_TRUE(file_->Sync().ok());
  ASSERT_TRUE(file_->Write(4, "lost").ok());
  ASSERT_TRUE(file_->Write(2000, "grown").ok());  // extends the file
  EXPECT_FALSE(file_->Sync().ok());
  std::string after = memory_.GetFile("f");
  EXPECT_EQ(after.size(), 1024u);
  EXPECT_EQ(after.substr(0, 8), "keptoooo");

  fs_.StopAfter(1, Fault::Error::kCrash, Fault::Tear::kNone, true);
  ASSERT_TRUE(file_->Truncate(10).ok());
  EXPECT_FALSE(file_->Sync().ok());
  EXPECT_EQ(memory_.GetFile("f"), after);
}

TEST_F(FaultInjectionFileSystemTest, FailsToOpenWhileArmed) {
  fs_.FailOpen(Fault::Error::kAccess);
  std::unique_ptr<RandomAccessFile> other;
  Status s = fs_.OpenFile("f", false, &other);
  EXPECT_EQ(s.message(), "cannot open: Permission denied");
  fs_.Disarm();
  EXPECT_TRUE(fs_.OpenFile("f", false, &other).ok());
}

TEST_F(FaultInjectionFileSystemTest, ALimitedRoomRefusesOnlyWhatWouldGrowPastIt) {
  fs_.LimitRoom(10);
  EXPECT_TRUE(file_->Write(0, std::string(1024, 'x')).ok());  // grows nothing
  EXPECT_TRUE(file_->Write(1020, "abcdefgh").ok());           // grows by 4
  Status full = file_->Write(1028, "0123456789");             // 10 more: past the 6 left
  EXPECT_EQ(full.message(), "cannot write: No space left on device");
  EXPECT_TRUE(fs_.fired());
  EXPECT_EQ(memory_.GetFile("f").size(), 1028u);
  EXPECT_TRUE(file_->Write(1028, "012345").ok());  // exactly the room left
  EXPECT_FALSE(file_->Write(1034, "!").ok());
  fs_.Disarm();
  EXPECT_TRUE(file_->Write(1034, "0123456789").ok());
  EXPECT_EQ(memory_.GetFile("f").substr(1020), "abcdefgh0123450123456789");
}

}  // namespace
}  // namespace mk
