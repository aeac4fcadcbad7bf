// Every reference datafile must read back exactly as its canonical dump, and
// must survive being rewritten by this engine.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"

namespace mk {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(WOODTICK_TESTDATA) / "mk";

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kFixtures)) {
    std::string ext = entry.path().extension().string();
    if (ext == ".mk" || ext == ".tal") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class FixtureTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("mk-fixture-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    copy_ = (dir_ / GetParam()).string();
    fs::copy_file(kFixtures / GetParam(), copy_, fs::copy_options::overwrite_existing);
    fs::permissions(copy_, fs::perms::owner_read | fs::perms::owner_write);
    expected_ = Slurp(kFixtures / (GetParam() + ".dump"));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string DumpOf(const std::string& path) {
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path, &storage);
    EXPECT_TRUE(s.ok()) << s.message();
    return storage ? DumpStorage(*storage) : "";
  }

  fs::path dir_;
  std::string copy_;
  std::string expected_;
};

TEST_P(FixtureTest, DumpsExactlyAsReference) { EXPECT_EQ(DumpOf(copy_), expected_); }

// Every view's rows replaced by copies of themselves, committed: the file
// must read back the same.
TEST_P(FixtureTest, RewrittenWholeDumpsIdentically) {
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(copy_, &storage).ok());
    for (const std::string& name : storage->ViewNames()) {
      View view = storage->GetView(name);
      View copy = view.Clone();
      copy.InsertRowsAt(0, view);
      view.SetSize(0);
      view.InsertRowsAt(0, copy);
    }
    Status s = storage->Commit();
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(DumpStorage(*storage), expected_);
  }
  EXPECT_EQ(DumpOf(copy_), expected_);
}

// The same with every cell set anew, so every column is encoded afresh.
TEST_P(FixtureTest, ReencodedDumpsIdentically) {
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(copy_, &storage).ok());
    for (const std::string& name : storage->ViewNames()) {
      View view = storage->GetView(name);
      // A derived source forces a cell-by-cell copy.
      View all = view.Select(View());
      View copy = view.Clone();
      copy.InsertRowsAt(0, all);
      view.SetSize(0);
      view.InsertEmptyRowsAt(0, 1);
      view.InsertRowsAt(1, copy);
      view.RemoveAt(0);
    }
    Status s = storage->Commit();
    ASSERT_TRUE(s.ok()) << s.message();
  }
  EXPECT_EQ(DumpOf(copy_), expected_);
}

TEST_P(FixtureTest, PackKeepsContent) {
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(copy_, &storage).ok());
    Status s = storage->Pack();
    ASSERT_TRUE(s.ok()) << s.message();
  }
  EXPECT_EQ(DumpOf(copy_), expected_);
  // Packing a packed file gives the same bytes again.
  std::string packed = Slurp(copy_);
  {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(copy_, &storage).ok());
    ASSERT_TRUE(storage->Pack().ok());
  }
  EXPECT_EQ(Slurp(copy_), packed);
}

// Files that Metakit wrote in one commit are freshly packed images; packing
// them again must give the same bytes. (int-widths.mk and reals.mk differ
// only in padding bits, which Metakit leaves unset and we write as zeros.)
TEST(FixturePackTest, SingleCommitFilesPackToTheSameBytes) {
  for (const char* name :
       {"dictionary.mk", "globals.mk", "longs.mk", "many-rows.mk", "nested.mk", "strings.mk",
        "wide.mk", "zero-rows.mk", "sample.tal", "version11.tal"}) {
    fs::path dir = fs::temp_directory_path() / ("mk-pack-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string copy = (dir / name).string();
    fs::copy_file(kFixtures / name, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    {
      std::unique_ptr<Storage> storage;
      ASSERT_TRUE(Storage::Open(copy, &storage).ok());
      ASSERT_TRUE(storage->Pack().ok());
    }
    EXPECT_TRUE(Slurp(copy) == Slurp(kFixtures / name)) << name;
    fs::remove_all(dir);
  }
}

INSTANTIATE_TEST_SUITE_P(All, FixtureTest, testing::ValuesIn(FixtureNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace mk
