// Storage: the images it writes, in-place commits, restructuring, and the
// framing it accepts or rejects.
#include "mk/storage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/testing/test_support.h"
#include "mk/writer.h"

namespace mk {
namespace {

namespace fs = std::filesystem;

class StorageTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("mk-storage-" + std::to_string(getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "test.mk").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<Storage> Open(const std::string& path) {
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path, &storage);
    EXPECT_TRUE(s.ok()) << s.message();
    return storage;
  }
  std::unique_ptr<Storage> Open() { return Open(path_); }

  Status OpenStatus(const std::string& bytes) {
    Write(bytes);
    std::unique_ptr<Storage> storage;
    return Storage::Open(path_, &storage);
  }

  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string Reread() {
    auto storage = Open();
    return storage ? DumpStorage(*storage) : "";
  }
  ino_t Inode() const {
    struct stat st;
    return stat(path_.c_str(), &st) == 0 ? st.st_ino : 0;
  }

  fs::path dir_;
  std::string path_;
};

// --- Fresh images match the layout Metakit writes, byte for byte. ---

TEST_F(StorageTest, FreshImagesAreByteIdenticalToMetakits) {
  {
    auto s = Open();
    View g = s->GetAs("Globals[Block:S,Key:S,Value:S]");
    const char* rows[3][3] = {
        {"main", "title", "Hello"}, {"main", "count", ""}, {"", "x", "world!"}};
    g.SetSize(3);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) g.SetString(r, c, rows[r][c]);
    }
    ASSERT_TRUE(s->Commit().ok());
  }
  EXPECT_EQ(Bytes(), FromHex(R"(
      4a 4c 1a 00 00 00 00 77 6d 61 69 6e 00 6d 61 69 6e 00 55 00 74 69 74 6c 65 00 63 6f 75 6e
      74 00 78 00 66 02 48 65 6c 6c 6f 00 77 6f 72 6c 64 21 00 06 07 80 83 8a 88 82 92 80 8e 94
      82 a2 80 8d a4 82 b1 80 80 9e 47 6c 6f 62 61 6c 73 5b 42 6c 6f 63 6b 3a 53 2c 4b 65 79 3a
      53 2c 56 61 6c 75 65 3a 53 5d 81 91 b3 80 00 00 00 00 00 00 67 80 00 00 23 00 00 00 44)"));

  fs::remove(path_);
  {
    auto s = Open();
    View n = s->GetAs("nums[i:I,l:L,f:F,d:D]");
    int values[] = {0, 1, -1, 300, 70000};
    n.SetSize(5);
    for (int r = 0; r < 5; ++r) {
      n.SetInt(r, 0, values[r]);
      n.SetLong(r, 1, values[r] * int64_t{1000000007});
      n.SetFloat(r, 2, values[r] * 0.5f);
      n.SetDouble(r, 3, values[r] * 0.25);
    }
    ASSERT_TRUE(s->Commit().ok());
  }
  EXPECT_EQ(Bytes(), FromHex(R"(
      4a 4c 1a 00 00 00 00 b5 00 00 00 00 01 00 00 00 ff ff ff ff 2c 01 00 00 70 11 01 00 00 00
      00 00 00 00 00 00 07 ca 9a 3b 00 00 00 00 f9 35 65 c4 ff ff ff ff 34 c0 64 d9 45 00 00 00
      10 da 29 25 aa 3f 00 00 00 00 00 00 00 00 00 3f 00 00 00 bf 00 00 16 43 00 b8 08 47 00 00
      00 00 00 00 00 00 00 00 00 00 00 00 d0 3f 00 00 00 00 00 00 d0 bf 00 00 00 00 00 c0 52 40
      00 00 00 00 00 17 d1 40 80 85 94 88 a8 9c 94 c4 a8 d8 80 95 6e 75 6d 73 5b 69 3a 49 2c 6c
      3a 4c 2c 66 3a 46 2c 64 3a 44 5d 81 8a 01 80 80 00 00 00 00 00 00 a5 80 00 00 1b 00 00 00
      8a)"));

  fs::remove(path_);
  {
    auto s = Open();
    s->SetStructure("people[name:S,pets[kind:S,age:I],n:I],other[x:I]");
    View people = s->GetView("people");
    people.SetSize(3);
    const char* names[] = {"ann", "bob", "cy"};
    for (int r = 0; r < 3; ++r) {
      people.SetString(r, 0, names[r]);
      people.SetInt(r, 2, r + 1);
    }
    View pets = people.GetSubview(0, 1);
    pets.SetSize(2);
    pets.SetString(0, 0, "cat");
    pets.SetInt(0, 1, 3);
    pets.SetString(1, 0, "dog");
    pets.SetInt(1, 1, 5);
    View fish = View::FromDescription("kind:S,age:I");
    fish.SetSize(1);
    fish.SetString(0, 0, "fish");
    fish.SetInt(0, 1, 1);
    people.SetSubview(2, 1, fish);
    ASSERT_TRUE(s->Commit().ok());
  }
  EXPECT_EQ(Bytes(), FromHex(R"(
      4a 4c 1a 00 00 00 00 96 61 6e 6e 00 62 6f 62 00 63 79 00 44 03 63 61 74 00 64 6f 67 00 44
      53 66 69 73 68 00 05 00 00 00 00 00 01 00 00 80 82 88 95 81 9d 80 81 9e 80 80 80 81 85 9f
      86 a4 80 83 aa 39 80 83 8b 88 82 93 80 94 ad 81 c1 80 80 80 b0 70 65 6f 70 6c 65 5b 6e 61
      6d 65 3a 53 2c 70 65 74 73 5b 6b 69 6e 64 3a 53 2c 61 67 65 3a 49 5d 2c 6e 3a 49 5d 2c 6f
      74 68 65 72 5b 78 3a 49 5d 81 8b c2 82 cd 80 00 00 00 00 00 00 86 80 00 00 37 00 00 00 4f)"));
}

TEST_F(StorageTest, MissingFileIsCreatedEmptyAndAnEmptyCommitWritesNothing) {
  auto s = Open();
  ASSERT_TRUE(fs::exists(path_));
  EXPECT_EQ(s->Description(), "");
  CommitStats stats;
  ASSERT_TRUE(s->Commit(&stats).ok());
  EXPECT_EQ(stats.bytes_written, 0u);
  EXPECT_EQ(fs::file_size(path_), 0u);
}

TEST_F(StorageTest, ReadOnlyFileSystemReadsButNeverWritesOrCreates) {
  std::unique_ptr<Storage> storage;
  EXPECT_FALSE(Storage::Open(path_, &storage, ReadOnlyFileSystem()).ok());
  EXPECT_FALSE(fs::exists(path_));
  {
    auto writable = Open();
    writable->GetAs("v[a:S]").SetSize(2);
    ASSERT_TRUE(writable->Commit().ok());
  }
  std::string before = Bytes();
  fs::permissions(path_, fs::perms::owner_read);
  ASSERT_TRUE(Storage::Open(path_, &storage, ReadOnlyFileSystem()).ok());
  EXPECT_EQ(storage->GetView("v").GetSize(), 2);
  storage->GetView("v").SetString(0, 0, "changed");
  EXPECT_FALSE(storage->Commit().ok());
  EXPECT_FALSE(storage->Pack().ok());
  EXPECT_EQ(Bytes(), before);
}

TEST_F(StorageTest, StructureFromDescriptionsSurvivesReopen) {
  std::string expected;
  {
    auto s = Open();
    s->SetStructure("a[s:S,i:I,l:L,f:F,d:D,b:B,v[x:I,t:S]],tree[name:S,kids[^]],empty[]");
    View a = s->GetView("a");
    a.SetSize(7);
    for (int r = 0; r < 7; ++r) {
      a.SetString(r, 0, std::string(r * 40, static_cast<char>('a' + r)));
      a.SetInt(r, 1, r % 2 ? -r * 1000 : r);
      a.SetLong(r, 2, int64_t{1} << (r * 9));
      a.SetFloat(r, 3, r * 0.1f);
      a.SetDouble(r, 4, r / 3.0);
      a.SetBytes(r, 5, std::string(r, '\0') + "\xff");
      View v = a.GetSubview(r, 6);
      v.SetSize(r % 3);
      for (int k = 0; k < v.GetSize(); ++k) v.SetString(k, 1, "sub" + std::to_string(k));
    }
    View tree = s->GetView("tree");
    tree.SetSize(1);
    tree.SetString(0, 0, "root");
    View kids = tree.GetSubview(0, 1);
    kids.SetSize(2);
    kids.SetString(1, 0, "leaf");
    kids.GetSubview(1, 1).SetSize(1);
    s->GetView("empty").SetSize(4);
    ASSERT_TRUE(s->Commit().ok());
    expected = DumpStorage(*s);
  }
  EXPECT_EQ(Reread(), expected);
  EXPECT_NE(expected.find(
                "structure: a[s:S,i:I,l:L,f:F,d:D,b:B,v[x:I,t:S]],tree[name:S,kids[^]],empty[]"),
            std::string::npos);
}

// --- In-place commits. ---

class CommitTest : public StorageTest {
 protected:
  // A big data table and a small view, committed.
  void Build() {
    auto s = Open();
    View trees = s->GetAs("Trees[Unit:S,Num:S,Notes:S]");
    trees.SetSize(3000);
    for (int r = 0; r < 3000; ++r) {
      trees.SetString(r, 0, std::to_string(r % 7));
      trees.SetString(r, 1, std::to_string(r));
      trees.SetString(r, 2, r % 10 ? "short" : std::string(300, 'n'));
    }
    View g = s->GetAs("Globals[Key:S,Value:S,Count:L]");
    g.SetSize(5);
    ASSERT_TRUE(s->Commit().ok());
  }
};

TEST_F(CommitTest, ChangingOneCellWritesLittleAndKeepsTheInode) {
  Build();
  ino_t inode = Inode();
  uintmax_t size = fs::file_size(path_);
  auto s = Open();
  s->GetView("Globals").SetLong(2, 2, 123456789012);
  CommitStats stats;
  ASSERT_TRUE(s->Commit(&stats).ok());
  EXPECT_LT(stats.bytes_written, 300u) << "file of " << size << " bytes";
  EXPECT_EQ(stats.file_size, fs::file_size(path_));
  EXPECT_EQ(Inode(), inode);
  std::string expected = DumpStorage(*s);
  EXPECT_EQ(Reread(), expected);

  // Replacing every row by copies of themselves changes nothing.
  View trees = s->GetView("Trees");
  View copy = trees.Clone();
  copy.InsertRowsAt(0, trees);
  trees.SetSize(0);
  trees.InsertRowsAt(0, copy);
  ASSERT_TRUE(s->Commit(&stats).ok());
  EXPECT_EQ(stats.bytes_written, 0u);

  // A changed memo text rewrites that item, its walk and the walks above,
  // not the column's inline texts.
  trees.SetString(10, 2, std::string(12000, 'm'));
  ASSERT_TRUE(s->Commit().ok());
  trees.SetString(10, 2, std::string(12000, 'M'));
  ASSERT_TRUE(s->Commit(&stats).ok());
  EXPECT_LT(stats.bytes_written, 12000u + 300u);
  EXPECT_EQ(Reread(), DumpStorage(*s));
  EXPECT_EQ(Inode(), inode);
}

TEST_F(CommitTest, ManyCommitsStayWithinTwicePackedSize) {
  Build();
  auto s = Open();
  View trees = s->GetView("Trees");
  View g = s->GetView("Globals");
  uintmax_t largest = 0;
  for (int i = 0; i < 300; ++i) {
    g.SetLong(i % 5, 2, i);
    g.SetString(i % 5, 1, std::string(i % 50, 'v'));
    trees.SetString((i * 37) % 3000, 2, std::string(100 + i % 250, 'x'));
    if (i % 25 == 0) trees.RemoveAt(0, 10);
    if (i % 30 == 0) {
      View more = trees.Clone();
      more.SetSize(15);
      trees.InsertRowsAt(trees.GetSize(), more);
    }
    ASSERT_TRUE(s->Commit().ok()) << i;
    largest = std::max(largest, fs::file_size(path_));
  }
  std::string expected = DumpStorage(*s);
  ASSERT_TRUE(s->Pack().ok());
  uintmax_t packed = fs::file_size(path_);
  EXPECT_LE(largest, 2 * packed + 4096) << "packed " << packed;
  EXPECT_EQ(Reread(), expected);
}

TEST_F(CommitTest, PackRewritesInPlace) {
  Build();
  ino_t inode = Inode();
  {
    auto s = Open();
    for (int i = 0; i < 20; ++i) {
      s->GetView("Trees").SetString(i, 2, std::string(500 + i, 'p'));
      ASSERT_TRUE(s->Commit().ok());
    }
  }
  std::string expected = Reread();
  uintmax_t before = fs::file_size(path_);
  auto s = Open();
  CommitStats stats;
  ASSERT_TRUE(s->Pack(&stats).ok());
  EXPECT_EQ(Inode(), inode);
  EXPECT_LE(fs::file_size(path_), before);
  EXPECT_EQ(stats.file_size, fs::file_size(path_));
  EXPECT_EQ(Reread(), expected);
  // The packed file starts with its header: nothing of the old image is left.
  EXPECT_EQ(Bytes().substr(0, 3), "JL\x1a");
}

TEST_F(CommitTest, DroppingEveryViewLeavesAnEmptyStructure) {
  Build();
  {
    auto s = Open();
    s->SetStructure("");
    ASSERT_TRUE(s->Commit().ok());
  }
  auto s = Open();
  EXPECT_EQ(s->Description(), "");
  EXPECT_TRUE(s->ViewNames().empty());
}

TEST_F(CommitTest, FileChangedByAnotherProgramIsNotOverwritten) {
  Build();
  auto mine = Open();
  {
    auto other = Open();
    other->GetView("Globals").SetString(0, 1, "theirs");
    ASSERT_TRUE(other->Commit().ok());
  }
  std::string theirs = Reread();
  mine->GetView("Globals").SetString(1, 1, "mine");
  Status s = mine->Commit();
  EXPECT_TRUE(s.IsChangedElsewhere()) << s.message();
  EXPECT_EQ(Reread(), theirs);

  // A file created empty and filled by someone else is not overwritten either.
  fs::remove(path_);
  auto first = Open();
  first->GetAs("A[x:S]").SetSize(1);
  {
    auto other = Open();
    other->GetAs("B[y:S]").SetSize(2);
    ASSERT_TRUE(other->Commit().ok());
  }
  EXPECT_TRUE(first->Commit().IsChangedElsewhere());
  EXPECT_TRUE(Open()->HasView("B"));
}

// --- Restructuring. ---

TEST_F(StorageTest, GetAsFollowsTheRestructuringRules) {
  auto s = Open();
  View a = s->GetAs("A[x:I,y:S]");
  a.SetSize(2);
  a.SetInt(0, 0, 7);
  a.SetString(1, 1, "keep");
  s->GetAs("B[z:D]");

  // Same description in other letter case: nothing changes, spellings stay.
  View same = s->GetAs("a[X:i,Y:s]");
  EXPECT_TRUE(same.SameAs(a));
  EXPECT_EQ(s->Description(), "A[x:I,y:S],B[z:D]");

  // Reordered, one dropped, one added: restructured in place, handle stays.
  s->GetAs("a[Y:S,w:L]");
  EXPECT_EQ(s->Description(), "a[Y:S,w:L],B[z:D]");
  EXPECT_EQ(a.GetSize(), 2);
  EXPECT_EQ(a.GetString(1, 0), "keep");
  EXPECT_EQ(a.GetLong(0, 1), 0);
  EXPECT_EQ(a.FindPropIndexByName("x"), -1);

  // New views go at the end; a name alone deletes.
  s->GetAs("C[q:S]");
  s->GetAs("b");
  EXPECT_EQ(s->Description(), "a[Y:S,w:L],C[q:S]");
  EXPECT_TRUE(s->GetAs("nothing").GetSize() == 0);

  ASSERT_TRUE(s->Commit().ok());
  EXPECT_EQ(Reread(), DumpStorage(*s));
}

TEST_F(StorageTest, TypeChangesKeepConvertedValues) {
  std::string expected;
  {
    auto s = Open();
    View v = s->GetAs("T[i:I,l:L,f:F,d:D,s:S,n:S,b:B,v[x:I]]");
    v.SetSize(3);
    int32_t ints[] = {42, -7, 2147483647};
    int64_t longs[] = {int64_t{1} << 40 | 5, -1, 9223372036854775807};
    float floats[] = {2.5f, -2.7f, 0.1f};
    double doubles[] = {2.5, -0.4, 1e20};
    const char* texts[] = {" 12abc", "-3.75e1", "x"};
    for (int r = 0; r < 3; ++r) {
      v.SetInt(r, 0, ints[r]);
      v.SetLong(r, 1, longs[r]);
      v.SetFloat(r, 2, floats[r]);
      v.SetDouble(r, 3, doubles[r]);
      v.SetString(r, 4, texts[r]);
      v.SetString(r, 5, texts[r]);
      v.SetBytes(r, 6, "bin");
      v.GetSubview(r, 7).SetSize(1);
    }
    ASSERT_TRUE(s->Commit().ok());
    s->GetAs("T[i:S,l:I,f:S,d:I,s:I,n:D,b:S,v:S]");
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(v.GetString(0, 0), "42");
    EXPECT_EQ(v.GetString(2, 0), "2147483647");
    EXPECT_EQ(v.GetInt(0, 1), 5);  // low 32 bits
    EXPECT_EQ(v.GetInt(1, 1), -1);
    EXPECT_EQ(v.GetString(0, 2), "2.5");
    EXPECT_EQ(v.GetString(1, 2), "-2.7");
    EXPECT_EQ(v.GetInt(0, 3), 3);   // 2.5 + 0.5 truncated
    EXPECT_EQ(v.GetInt(1, 3), 0);   // -0.4 + 0.5 truncated
    EXPECT_EQ(v.GetInt(0, 4), 12);  // leading integer
    EXPECT_EQ(v.GetInt(2, 4), 0);
    EXPECT_EQ(v.GetDouble(1, 5), -37.5);
    EXPECT_EQ(v.GetString(0, 6), "");  // bytes start empty
    EXPECT_EQ(v.GetString(0, 7), "");  // so do subviews
    expected = DumpStorage(*s);
  }
  EXPECT_EQ(Reread(), expected);
  {
    auto s = Open();
    View v = s->GetAs("T[i:L,l:L,f:D,d:S]");
    EXPECT_EQ(v.GetLong(0, 0), 42);
    EXPECT_EQ(v.GetLong(1, 1), -1);
    EXPECT_DOUBLE_EQ(v.GetDouble(1, 2), -2.7);
    EXPECT_EQ(v.GetString(2, 3), "2147483647");  // 1e20 clamped
    s->GetAs("T[d:D,i:I]");
    EXPECT_EQ(v.GetDouble(0, 0), 3);
    EXPECT_EQ(v.GetInt(0, 1), 42);
    ASSERT_TRUE(s->Commit().ok());
    expected = DumpStorage(*s);
  }
  EXPECT_EQ(Reread(), expected);
}

TEST_F(StorageTest, SetStructureKeepsListedViewsAndDropsTheRest) {
  auto s = Open();
  s->SetStructure("A[x:I],B[y:S],C[z:S]");
  s->GetView("B").SetSize(50);
  s->GetView("A").SetSize(2);
  s->GetView("A").SetInt(1, 0, 9);
  ASSERT_TRUE(s->Commit().ok());
  s->SetStructure("c[z:S,n:I],a[x:I]");
  EXPECT_EQ(s->Description(), "c[z:S,n:I],a[x:I]");
  EXPECT_FALSE(s->HasView("B"));
  EXPECT_EQ(s->GetView("A").GetInt(1, 0), 9);
  ASSERT_TRUE(s->Commit().ok());
  EXPECT_EQ(Reread(), DumpStorage(*s));
}

// --- Framing. ---

TEST_F(StorageTest, BigEndianFilesAreReadAndStayBigEndian) {
  View v = View::FromDescription("s:S,i:I,l:L,f:F,d:D,n[x:I]");
  v.SetSize(3);
  int32_t ints[] = {-2, 300, 70000};
  for (int r = 0; r < 3; ++r) {
    v.SetString(r, 0, std::string(r * 5, 'q'));
    v.SetInt(r, 1, ints[r]);
    v.SetLong(r, 2, -(int64_t{1} << (20 * r)));
    v.SetFloat(r, 3, r * 1.25f);
    v.SetDouble(r, 4, -r / 8.0);
    v.GetSubview(r, 5).SetSize(r);
    if (r == 2) v.GetSubview(r, 5).SetInt(1, 0, -1000);
  }
  PlanOptions options;
  options.big_endian = true;
  CommitPlan plan = PlanCommit({ViewEntry("T", v.impl())}, options);
  Write(PackedImage(plan, true));
  ASSERT_EQ(Bytes().substr(0, 2), "LJ");
  std::string expected;
  {
    auto s = Open();
    View t = s->GetView("T");
    ASSERT_EQ(t.GetSize(), 3);
    EXPECT_EQ(t.GetInt(2, 1), 70000);
    EXPECT_EQ(t.GetLong(1, 2), -(int64_t{1} << 20));
    EXPECT_EQ(t.GetFloat(2, 3), 2.5f);
    EXPECT_EQ(t.GetDouble(1, 4), -0.125);
    EXPECT_EQ(t.GetSubview(2, 5).GetInt(1, 0), -1000);
    t.SetInt(0, 1, -40000);
    ASSERT_TRUE(s->Commit().ok());
    expected = DumpStorage(*s);
  }
  EXPECT_EQ(Bytes().substr(0, 2), "LJ");
  EXPECT_EQ(Reread(), expected);
  EXPECT_NE(expected.find("-40000"), std::string::npos);
}

TEST_F(StorageTest, PrefixAndTrailingSkippedBytesAreRead) {
  {
    auto s = Open();
    s->GetAs("G[k:S]").SetSize(2);
    s->GetView("G").SetString(1, 0, "value");
    ASSERT_TRUE(s->Commit().ok());
  }
  std::string image = Bytes();
  std::string expected = Reread();
  // A datafile appended to other content: positions count from its header.
  Write(std::string(1017, '#') + image);
  EXPECT_EQ(Reread(), expected);
  {
    auto s = Open();
    s->GetView("G").SetString(0, 0, "more");
    ASSERT_TRUE(s->Commit().ok());
    expected = DumpStorage(*s);
  }
  EXPECT_EQ(Reread(), expected);
  EXPECT_EQ(Bytes().substr(0, 1017), std::string(1017, '#'));
  // Packing keeps the other content too, and packs what follows it.
  ASSERT_TRUE(Open()->Pack().ok());
  EXPECT_EQ(Reread(), expected);
  EXPECT_EQ(Bytes().substr(0, 1017), std::string(1017, '#'));
  EXPECT_EQ(Bytes().substr(1017, 3), "JL\x1a");
  std::string packed = Bytes().substr(1017);
  Write(packed);
  ASSERT_TRUE(Open()->Pack().ok());
  EXPECT_EQ(Bytes(), packed);
  // Junk after the tails, jumped over by a skip tail.
  std::string junk(100, 'j');
  std::string skip("\x80\0\0\0\0\0\0\x64", 8);
  Write(image + junk + skip);
  EXPECT_NE(Reread().find("value"), std::string::npos);
}

TEST_F(StorageTest, DamagedAndForeignFilesAreReported) {
  {
    auto s = Open();
    s->GetAs("G[k:S,n:I]").SetSize(3);
    ASSERT_TRUE(s->Commit().ok());
  }
  std::string good = Bytes();
  // Damage is corruption; a sound file of another format version is not supported.
  constexpr Status::Code kDamaged = Status::Code::kCorruption;
  constexpr Status::Code kOtherVersion = Status::Code::kNotSupported;
  auto expect_error = [&](const std::string& bytes, Status::Code code, const std::string& what) {
    Status s = OpenStatus(bytes);
    EXPECT_EQ(s.code(), code) << what << ": " << s.message();
    EXPECT_NE(s.message().find(path_), std::string::npos) << s.message();
    return s.message();
  };
  EXPECT_NE(
      expect_error("just some text, not a datafile at all", kDamaged, "text").find("not a Metakit"),
      std::string::npos);
  expect_error(good.substr(0, good.size() - 1), kDamaged, "truncated");
  expect_error(good.substr(0, 20), kDamaged, "short");
  std::string old_format = good;
  old_format[3] = '\x80';
  EXPECT_NE(expect_error(old_format, kOtherVersion, "old").find("pre-2.3"), std::string::npos);
  std::string flagged = good;
  flagged[3] = '\x40';
  expect_error(flagged, kOtherVersion, "flags");
  std::string bad_type = good;
  size_t at = bad_type.find("n:I");
  bad_type[at + 2] = 'Q';
  EXPECT_NE(expect_error(bad_type, kDamaged, "type").find("unknown type"), std::string::npos);
  std::string bad_root = good;
  bad_root[bad_root.size() - 1] = '\x7f';
  expect_error(bad_root, kDamaged, "root outside");
  // After other content the root walk's bound counts from the header: a
  // walk said to run past the tails is damage, not a read past the end.
  std::string walk_past_tails = std::string(100, '#') + good;
  walk_past_tails[walk_past_tails.size() - 5] += 40;  // the walk's size, within the prefix
  expect_error(walk_past_tails, kDamaged, "root past the tails");
  // Every single-byte corruption is either read or reported, never a crash.
  for (size_t i = 0; i < good.size(); ++i) {
    std::string bytes = good;
    bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    Write(bytes);
    std::unique_ptr<Storage> storage;
    if (Storage::Open(path_, &storage).ok()) DumpStorage(*storage);
  }
}

}  // namespace
}  // namespace mk
