// NUL bytes in texts and names. A text ends at its first NUL, wherever it
// comes from; a name holding one is refused; and what the engine writes is
// a file other Metakit software accepts (checked with metakit-reference
// when it is there).
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

class NulBytesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("nul-bytes");
    path_ = dir_ + "/nul.mk";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A file with Notes[Text:S] holding `texts`, one per row.
  void Build(const std::string& description, const std::vector<std::string>& texts) {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(path_, &storage).ok());
    View notes = storage->GetAs(description);
    notes.SetSize(static_cast<int>(texts.size()));
    for (size_t r = 0; r < texts.size(); ++r) notes.SetString(static_cast<int>(r), 0, texts[r]);
    ASSERT_TRUE(storage->Commit().ok());
  }

  // Replaces the one occurrence of `from` in the file's bytes by `to`.
  void Patch(const std::string& from, const std::string& to) {
    std::string bytes = ReadBytes(path_);
    size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find(from, at + 1), std::string::npos);
    bytes.replace(at, from.size(), to);
    WriteBytes(path_, bytes);
  }

  // Whether metakit-reference accepts the file; true when it is absent.
  bool MetakitAccepts(std::string* output) {
    ReferenceVerdict verdict;
    if (!ReferenceCheck(path_, &verdict)) return true;
    *output = verdict.output;
    return verdict.accepted;
  }

  std::string dir_, path_;
};

TEST_F(NulBytesTest, TextSetWithANulEndsThere) {
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open(path_, &storage).ok());
  View notes = storage->GetAs("Notes[Text:S,Raw:B]");
  notes.SetSize(1);
  notes.SetString(0, 0, std::string("ab\0cd", 5));
  notes.SetBytes(0, 1, std::string("ab\0cd", 5));
  EXPECT_EQ(notes.GetString(0, 0), "ab");
  EXPECT_EQ(notes.GetBytes(0, 1), std::string("ab\0cd", 5)) << "bytes are not texts";
  ASSERT_TRUE(storage->Commit().ok());
  std::string output;
  EXPECT_TRUE(MetakitAccepts(&output)) << output;
  storage.reset();
  ASSERT_TRUE(Storage::Open(path_, &storage).ok());
  EXPECT_EQ(storage->GetView("Notes").GetString(0, 0), "ab");
}

// Items stored with a NUL before their end: Metakit reads each text up to
// that NUL, and so do we. metakit-reference rejects such a file (copying
// the rows gives shorter items than the stored ones), while our reader
// accepts it: the format defines what the text is, and nothing is lost by
// reading it that way. What we write back is sound again: the next commit
// rewrites those columns as they read.
TEST_F(NulBytesTest, StoredTextWithANulReadsUpToItAndIsWrittenBackSound) {
  Build("Notes[Text:S]", {"abXcd", "plain", std::string(12000, 'm') + "X" + "tail"});
  Patch("abXcd", std::string("ab\0cd", 5));
  Patch("mXtail", std::string("m\0tail", 6));  // in a memo of its own
  ReferenceVerdict before;
  if (ReferenceCheck(path_, &before)) {
    EXPECT_FALSE(before.accepted) << "Metakit now copes";
  }
  std::unique_ptr<Storage> storage;
  Status s = Storage::Open(path_, &storage);
  ASSERT_TRUE(s.ok()) << s.message();
  View notes = storage->GetView("Notes");
  EXPECT_EQ(notes.GetString(0, 0), "ab");
  EXPECT_EQ(notes.GetString(1, 0), "plain");
  EXPECT_EQ(notes.GetString(2, 0), std::string(12000, 'm'));
  std::string dump = DumpStorage(*storage);
  EXPECT_EQ(dump.find('\0'), std::string::npos) << "the dump prints a raw NUL";

  ASSERT_TRUE(storage->Commit().ok()) << "nothing changed, but the columns are rewritten";
  std::string output;
  EXPECT_TRUE(MetakitAccepts(&output)) << output;
  Status reread;
  EXPECT_EQ(DumpFile(path_, &reread), dump);
}

TEST_F(NulBytesTest, NamesWithANulAreRefused) {
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open(path_, &storage).ok());
  EXPECT_THROW(storage->GetAs(std::string("No\0tes[Text:S]", 14)), std::invalid_argument);
  EXPECT_THROW(storage->GetAs(std::string("Notes[Te\0xt:S]", 14)), std::invalid_argument);
  EXPECT_THROW(storage->SetStructure(std::string("a[b:S],c\0[d:I]", 14)), std::invalid_argument);
  EXPECT_EQ(storage->Description(), "");
}

// Metakit reads a description as a C string, so it does not see such a
// name whole; our reader refuses the file, so check, dump and pack never
// pass the name on.
TEST_F(NulBytesTest, FileWithANulInAViewOrColumnNameIsRefused) {
  for (const std::string& name : {std::string("NoXtes"), std::string("TeXt")}) {
    SCOPED_TRACE(name);
    std::filesystem::remove(path_);
    Build(name == "TeXt" ? "Notes[TeXt:S]" : "NoXtes[Text:S]", {"one", "two"});
    std::string nul = name;
    nul[name.find('X')] = '\0';
    Patch(name, nul);
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path_, &storage);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("NUL"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find(path_), std::string::npos) << s.message();
  }
}

}  // namespace
}  // namespace mk
