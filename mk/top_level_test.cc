// Top-level properties that are not views, as other Metakit software may
// leave in a file ("n:I,v[b:S],s:S,d:D"): read, dumped, kept through commits,
// packing and restructuring, and written in Metakit's layout.
#include "mk/top_level.h"

#include <filesystem>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"
#include "mk/writer.h"

namespace mk {
namespace {

// n = -7, v = {"x", "yz"}, s = "tab<TAB>here", d = 2.5, freshly packed as
// Metakit lays out a first commit: each field's blocks in structure order,
// then the root walk and the tails.
const std::string kImage = FromHex(
    "4a 4c 1a 00 00 00 00 61"                          // header, size 97
    "f9"                                               // @8   n: -7, 8 bits
    "78 00 79 7a 00"                                   // @9   v.b data
    "0e 00 00 00 00"                                   // @14  v.b sizes 2,3: 2 bits, 2 rows
    "80 82 85 89 85 8e 80"                             // @19  v block: 2 rows, b's refs
    "74 61 62 09 68 65 72 65 00"                       // @26  s data
    "09 00 00 00 00 00"                                // @35  s sizes 9: 4 bits, 1 row
    "00 00 00 00 00 00 04 40"                          // @41  d: 2.5
    "80 92 6e 3a 49 2c 76 5b 62 3a 53 5d 2c 73 3a 53"  // @49  root walk
    "2c 64 3a 44 81 81 88 87 93 89 9a 86 a3 80 88 a9"  //
    "80 00 00 00 00 00 00 51 80 00 00 20 00 00 00 31"  // tails
);

const std::string kDump =
    "structure: n:I,v[b:S],s:S,d:D\n"
    "scalar n:I\n"
    "-7\n"
    "view v rows=2\n"
    "columns: b:S\n"
    "x\n"
    "yz\n"
    "scalar s:S\n"
    "tab\\x09here\n"
    "scalar d:D\n"
    "2.5\n";

class TopLevelTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("top-level");
    path_ = dir_ + "/values.mk";
    WriteBytes(path_, kImage);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::unique_ptr<Storage> Open() {
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path_, &storage);
    EXPECT_TRUE(s.ok()) << s.message();
    return storage;
  }
  std::string Reread() {
    Status s;
    std::string dump = DumpFile(path_, &s);
    EXPECT_TRUE(s.ok()) << s.message();
    return dump;
  }

  std::string dir_, path_;
};

TEST_F(TopLevelTest, ValuesBesideViewsAreReadAndDumpedInStructureOrder) {
  auto s = Open();
  ASSERT_TRUE(s);
  EXPECT_EQ(DumpStorage(*s), kDump);
  EXPECT_EQ(s->Description(), "n:I,v[b:S],s:S,d:D");
  EXPECT_EQ(s->ViewNames(), std::vector<std::string>{"v"});
  EXPECT_TRUE(s->HasView("V"));
  EXPECT_FALSE(s->HasView("n"));
  EXPECT_EQ(s->GetView("s").NumProperties(), 0);
  EXPECT_EQ(s->GetValue("N").GetInt(0, 0), -7);
  EXPECT_EQ(s->GetValue("d").GetDouble(0, 0), 2.5);
  EXPECT_EQ(s->GetValue("v").NumProperties(), 0);
  // The value handed out is a copy: changing it changes nothing stored.
  s->GetValue("n").SetInt(0, 0, 99);
  s->GetValue("n").SetSize(3);
  EXPECT_EQ(DumpStorage(*s), kDump);
}

TEST_F(TopLevelTest, WriterLaysOutValuesAsMetakitDoes) {
  std::vector<TopLevel> top = {ValueEntry(Field{"n", 'I'}), ViewEntry("v", nullptr),
                               ValueEntry(Field{"s", 'S'}), ValueEntry(Field{"d", 'D'})};
  View v = View::FromDescription("b:S");
  v.SetSize(2);
  v.SetString(0, 0, "x");
  v.SetString(1, 0, "yz");
  top[1].table = v.impl();
  View(top[0].table).SetInt(0, 0, -7);
  View(top[2].table).SetString(0, 0, "tab\there");
  View(top[3].table).SetDouble(0, 0, 2.5);
  EXPECT_EQ(PackedImage(PlanCommit(top, PlanOptions()), false), kImage);

  // Packing the file gives the same image again.
  auto s = Open();
  ASSERT_TRUE(s->Pack().ok());
  EXPECT_EQ(ReadBytes(path_), kImage);
}

TEST_F(TopLevelTest, CommitsAndPackingKeepTheValues) {
  std::string expected;
  {
    auto s = Open();
    View v = s->GetView("v");
    v.SetSize(3);
    v.SetString(2, 0, std::string(20000, 'm'));  // a memo: the file grows
    CommitStats stats;
    ASSERT_TRUE(s->Commit(&stats).ok());
    expected = DumpStorage(*s);
    v.SetString(0, 0, "changed");  // fits into the old blocks' space
    ASSERT_TRUE(s->Commit(&stats).ok());
    EXPECT_LT(stats.bytes_written, 100u) << "the values were written again";
    expected = DumpStorage(*s);
  }
  EXPECT_NE(expected.find("scalar s:S\ntab\\x09here\nscalar d:D\n2.5\n"), std::string::npos);
  EXPECT_EQ(Reread(), expected);
  // The values' blocks stayed where they were.
  std::string bytes = ReadBytes(path_);
  EXPECT_EQ(bytes[8], kImage[8]);
  EXPECT_EQ(bytes.substr(26, 23), kImage.substr(26, 23));
  {
    auto s = Open();
    ASSERT_TRUE(s->Pack().ok());
  }
  EXPECT_EQ(Reread(), expected);
  EXPECT_LT(ReadBytes(path_).size(), bytes.size());
}

TEST_F(TopLevelTest, RestructuringTreatsValuesLikeRootColumns) {
  {
    auto s = Open();
    // GetAs touches only its view.
    s->GetAs("v[b:S,c:I]");
    s->GetAs("w[z:S]");
    EXPECT_EQ(s->Description(), "n:I,v[b:S,c:I],s:S,d:D,w[z:S]");
    // A name alone deletes a view, never a value.
    s->GetAs("d");
    EXPECT_EQ(s->GetValue("d").GetDouble(0, 0), 2.5);
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(Reread(), DumpStorage(*s));

    // The whole list: a value keeps its data under a new type and spelling,
    // unlisted ones are dropped, new ones start at their default.
    s->SetStructure("V[b:S],N:S,e:L,d:I");
    EXPECT_EQ(s->Description(), "V[b:S],N:S,e:L,d:I");
    EXPECT_EQ(s->GetValue("n").GetString(0, 0), "-7");
    EXPECT_EQ(s->GetValue("e").GetLong(0, 0), 0);
    EXPECT_EQ(s->GetValue("d").GetInt(0, 0), 3);  // 2.5 rounded half up
    EXPECT_EQ(s->GetView("v").GetString(1, 0), "yz");
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(Reread(), DumpStorage(*s));

    // A view defined under a value's name takes its place, and back.
    s->GetAs("e[k:S]").SetSize(1);
    s->SetStructure("V[b:S],N:S,e:L");
    EXPECT_EQ(s->GetValue("e").GetLong(0, 0), 0);
    ASSERT_TRUE(s->Commit().ok());
  }
  EXPECT_EQ(Reread(),
            "structure: V[b:S],N:S,e:L\n"
            "view V rows=2\ncolumns: b:S\nx\nyz\n"
            "scalar N:S\n-7\n"
            "scalar e:L\n0\n");
}

}  // namespace
}  // namespace mk
