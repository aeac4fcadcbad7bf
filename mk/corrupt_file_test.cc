// Damaged, truncated, empty and foreign files: each either opens cleanly or
// fails with a message naming the file; never a crash, a hang or a huge
// allocation (this test runs under AddressSanitizer in CI).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/recover.h"
#include "mk/storage.h"
#include "mk/testing/memory_file_system.h"
#include "mk/testing/test_support.h"

namespace mk {
namespace {

const std::string kTestData = WOODTICK_TESTDATA "/mk/";

enum class Outcome { kOpened, kRejected };

// Opens `bytes` as the file `name` and reads every cell.
Outcome OpenImage(const std::string& name, const std::string& bytes, std::string* message) {
  MemoryFileSystem fs;
  fs.SetFile(name, bytes);
  std::unique_ptr<Storage> storage;
  Status s = Storage::Open(name, &storage, &fs);
  if (!s.ok()) {
    *message = s.message();
    return Outcome::kRejected;
  }
  DumpStorage(*storage);
  return Outcome::kOpened;
}

// Recovering from a damaged image finds nothing, or a state that a new
// file then holds exactly; the damaged file stays as it was.
void ExpectCleanRecovery(const std::string& name, const std::string& bytes) {
  MemoryFileSystem fs;
  fs.SetFile(name, bytes);
  RecoveredState found;
  std::unique_ptr<Storage> storage;
  Status s = FindSoundState(name, &fs, &found, &storage);
  if (!s.ok()) {
    EXPECT_EQ(s.code(), Status::Code::kNotFound) << s.message();
    return;
  }
  ASSERT_TRUE(storage->SaveCopy("recovered.mk", &fs).ok()) << name;
  Status read;
  EXPECT_EQ(DumpFile("recovered.mk", &read, &fs), DumpStorage(*storage)) << name;
  EXPECT_EQ(fs.GetFile(name), bytes) << name;
}

void ExpectCleanOutcome(const std::string& name, const std::string& bytes) {
  std::string message;
  if (OpenImage(name, bytes, &message) == Outcome::kRejected) {
    EXPECT_NE(message.find(name), std::string::npos) << "message without the file: " << message;
    EXPECT_GT(message.size(), name.size() + 5) << "message without a reason: " << message;
    ExpectCleanRecovery(name, bytes);
  }
}

std::string BigEndian(uint32_t v, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

// A varint as the format writes non-negative numbers.
std::string Varint(uint32_t v) {
  std::string out(1, static_cast<char>(0x80 | (v & 0x7F)));
  for (v >>= 7; v > 0; v >>= 7) out.insert(out.begin(), static_cast<char>(v & 0x7F));
  return out;
}

// A datafile: header, `blocks` from position 8, `walk` as the root walk.
std::string RawImage(const std::string& blocks, const std::string& walk) {
  uint32_t walk_pos = 8 + static_cast<uint32_t>(blocks.size());
  uint32_t skip = walk_pos + static_cast<uint32_t>(walk.size());
  std::string file = std::string("JL\x1A\x00", 4) + BigEndian(skip + 16, 4) + blocks + walk;
  file += std::string("\x80\0\0\0", 4) + BigEndian(skip, 4);
  file += "\x80" + BigEndian(static_cast<uint32_t>(walk.size()), 3) + BigEndian(walk_pos, 4);
  return file;
}

// The root walk "0, description, 1, refs" over `blocks`.
std::string Image(const std::string& blocks, const std::string& description,
                  const std::string& refs) {
  return RawImage(blocks, Varint(0) + Varint(static_cast<uint32_t>(description.size())) +
                              description + Varint(1) + refs);
}

// One top-level view "a" whose single view record is `record`.
std::string OneView(const std::string& fields, const std::string& record) {
  return Image(record, "a[" + fields + "]",
               Varint(static_cast<uint32_t>(record.size())) + Varint(8));
}

TEST(CorruptFileTest, EveryTruncationOpensCleanlyOrFailsNamingTheFile) {
  for (const char* fixture : {"globals.mk", "nested.mk", "sample.tal"}) {
    std::string bytes = ReadBytes(kTestData + fixture);
    ASSERT_FALSE(bytes.empty()) << fixture;
    int opened = 0;
    for (size_t len = 1; len < bytes.size(); ++len) {
      std::string name = std::string("cut/") + fixture + "@" + std::to_string(len);
      std::string message;
      if (OpenImage(name, bytes.substr(0, len), &message) == Outcome::kOpened) {
        ++opened;
      } else {
        EXPECT_NE(message.find(name), std::string::npos) << message;
        ExpectCleanRecovery(name, bytes.substr(0, len));
      }
    }
    // A file cut anywhere has lost its tails.
    EXPECT_EQ(opened, 0) << fixture;
  }
}

TEST(CorruptFileTest, EveryFlippedByteOpensCleanlyOrFailsNamingTheFile) {
  const unsigned char kMasks[] = {0x01, 0x80, 0xFF};
  for (const char* fixture : {"globals.mk", "nested.mk", "int-widths.mk", "sample.tal"}) {
    std::string bytes = ReadBytes(kTestData + fixture);
    ASSERT_FALSE(bytes.empty()) << fixture;
    // Every mask at every byte of the small files; one mask per byte, in
    // turn, of the larger ones, to keep the sanitized run short.
    bool every_mask = bytes.size() < 400;
    for (size_t pos = 0; pos < bytes.size(); ++pos) {
      for (size_t m = every_mask ? 0 : pos % 3; m < 3; m += every_mask ? 1 : 3) {
        unsigned char mask = kMasks[m];
        std::string damaged = bytes;
        damaged[pos] = static_cast<char>(damaged[pos] ^ mask);
        ExpectCleanOutcome(std::string("flip/") + fixture + "@" + std::to_string(pos), damaged);
      }
    }
  }
}

TEST(CorruptFileTest, EmptyForeignAndOldFilesAreToldApart) {
  std::string message;
  EXPECT_EQ(OpenImage("empty.mk", "", &message), Outcome::kOpened);
  // The hand-built images below are sound until damaged.
  const std::string sound = OneView("b:S", Varint(0) + Varint(0));
  ASSERT_EQ(OpenImage("sound.mk", sound, &message), Outcome::kOpened) << message;
  ASSERT_EQ(OpenImage("rows.mk", OneView("", Varint(0) + Varint(3)), &message), Outcome::kOpened)
      << message;

  std::string newer_flags = sound;
  newer_flags[3] = '\x40';
  std::string walk_outside = sound;
  walk_outside.replace(walk_outside.size() - 7, 7, "\xFF\xFF\xFF\x7F\xFF\xFF\xF0");
  std::string bad_skip_tag = sound;
  bad_skip_tag[sound.size() - 16] = '\x81';
  std::string appended_junk = sound + "trailing junk";
  const std::vector<std::string> rejected = {
      "hello, world\n",
      "Tally file written by hand, not a datafile at all; long enough to have tails.\n",
      std::string(64, '\0'),
      // The pre-2.3 format: a header with flags 80 and no tails.
      std::string("JL\x1A\x80\x10\0\0\0", 8) + std::string(40, '\x80'),
      newer_flags,
      walk_outside,
      bad_skip_tag,
      appended_junk,
      // A trailing mark that skips nothing: other Metakit software reads
      // the file as empty.
      sound + std::string("\x80\0\0\0\0\0\0\0", 8),
      // A view record whose reserved value is not 0.
      OneView("b:S", Varint(1) + Varint(0)),
      // Column data for a view without rows.
      OneView("b:I", Varint(0) + Varint(0) + Varint(4) + Varint(8)),
  };
  for (size_t i = 0; i < rejected.size(); ++i) {
    std::string name = "odd/" + std::to_string(i) + ".mk";
    ASSERT_EQ(OpenImage(name, rejected[i], &message), Outcome::kRejected) << name;
    EXPECT_NE(message.find(name), std::string::npos) << message;
  }
}

TEST(CorruptFileTest, HugeCountsAreRejectedWithoutAllocating) {
  // Sizes and counts at the 31-bit limit wherever a reader might trust one.
  const std::string huge = Varint(0x7FFFFFFF);
  const std::vector<std::string> images = {
      // A description longer than the file.
      RawImage("", Varint(0) + huge + "a[b:S]" + Varint(1) + Varint(0)),
      // A nested-walk block beyond the end.
      Image("", "a[b:S]", huge + Varint(8)),
      // Rows far beyond what the column's bytes can hold.
      OneView("b:I", Varint(0) + huge + Varint(4) + Varint(8)),
      OneView("b:L", Varint(0) + huge + Varint(8) + Varint(8)),
      // Text data and sizes blocks beyond the end.
      OneView("b:S", Varint(0) + Varint(3) + Varint(0x7FFFFFF0) + Varint(8) + Varint(1) +
                         Varint(8) + Varint(0)),
      // Rows that no byte of the file backs: a field-less view and a
      // zero-width column.
      OneView("", Varint(0) + huge),
      OneView("b:I", Varint(0) + huge + Varint(0)),
  };
  for (size_t i = 0; i < images.size(); ++i) {
    std::string name = "huge/" + std::to_string(i) + ".mk";
    std::string message;
    ASSERT_EQ(OpenImage(name, images[i], &message), Outcome::kRejected) << name;
    EXPECT_NE(message.find(name), std::string::npos) << message;
  }
}

TEST(CorruptFileTest, MessagesQuoteDamagedNamesSafely) {
  // A terminal escape sequence, Windows-1252 bytes and a name of 100,000
  // bytes, in a duplicate field name and as a type letter.
  const std::string nasty = "\x1b(0\x07\xFC" + std::string(100000, 'n');
  const std::vector<std::string> descriptions = {
      "a[" + nasty + ":S,b:I," + nasty + ":I]",
      "a[b:\x1b]",
      nasty + "[b:S]," + nasty + "[c:S]",
  };
  for (size_t i = 0; i < descriptions.size(); ++i) {
    std::string name = "quote/" + std::to_string(i) + ".mk";
    std::string message;
    ASSERT_EQ(OpenImage(name, Image("", descriptions[i], Varint(0)), &message), Outcome::kRejected)
        << name;
    EXPECT_NE(message.find(name), std::string::npos) << message;
    EXPECT_LT(message.size(), 250u) << message;
    for (char c : message) ASSERT_TRUE(c >= 0x20 && c <= 0x7E) << message;
    EXPECT_NE(message.find("\\x1B"), std::string::npos) << message;
  }
}

TEST(CorruptFileTest, DeepNestingIsNoStackOverflow) {
  for (int depth : {100, 100000}) {
    std::string description;
    for (int i = 0; i < depth; ++i) description += "v[";
    description += "x:S";
    description += std::string(depth, ']');
    std::string name = "deep/" + std::to_string(depth) + ".mk";
    ExpectCleanOutcome(name, Image("\x80\x80", description, Varint(2) + Varint(8)));
  }
}

}  // namespace
}  // namespace mk
