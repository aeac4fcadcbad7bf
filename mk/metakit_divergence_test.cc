// Files real Metakit accepts and our reader refuses: what the differential
// fuzzer (mk/fuzz/differential_fuzz.cc) found, one file per kind, in
// testdata/mk/divergent. Each is a mutant of a reference file. Metakit
// checks almost nothing and reads such files as something (often as what
// the damaged bytes happen to mean); our reader reports them as damaged or
// foreign, as the format's reader rules ask, and never writes to them.
// (Found the other way round: texts holding a NUL before their end, in
// nul_bytes_test.cc, and a 64-bit column of size 0, below.)
#include <filesystem>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

struct Divergence {
  const char* file;
  const char* our_reason;  // part of our message
  const char* why;         // why refusing is right
};

const Divergence kDivergences[] = {
    {"header-flags.mk", "newer Metakit format",
     "header flag bits other than 0 belong to other format versions"},
    {"old-format-header.mk", "pre-2.3 Metakit format",
     "without valid tails Metakit falls back to the old format, which we do not read"},
    {"unknown-type.mk", "unknown type letter",
     "Metakit reads an unknown type as an integer; the column layout is then unknowable"},
    {"view-record-reserved.mk", "bad view record", "the reserved value of a view record is 0"},
    {"description-length.mk", "bad description length", "the description runs past the root walk"},
    {"root-walk-outside.mk", "root walk outside the file",
     "the root walk overlaps the tails or lies past them"},
    {"name-with-nul.mk", "NUL", "Metakit cuts the description at the NUL"},
    {"root-walk-trailing.mk", "root walk has trailing bytes",
     "bytes after the last reference belong to no column"},
    {"subview-trailing.mk", "subview block has trailing bytes",
     "bytes after the last nested view record belong to no row"},
    {"sizes-do-not-add-up.mk", "text sizes do not add up",
     "Metakit slices the data by sizes that do not fit it"},
    {"bad-type.mk", "bad type", "a type letter followed by a bracket or colon"},
    {"missing-bracket.mk", "missing ']'", "a subview list that is never closed"},
    {"field-without-name.mk", "field without a name", "an empty name"},
    {"text-after-bracket.mk", "unexpected text after ']'", "bytes after a subview's ']'"},
    {"root-walk-reserved.mk", "bad root walk", "the root walk's reserved value is 0"},
    {"root-row-count.mk", "root row count is not 1", "the root view has exactly one row"},
    {"bad-block-size.mk", "bad block size", "a size that is no valid number"},
    {"block-outside.mk", "block reference outside the data area",
     "a block overlapping the header or the tails, or past them"},
};

TEST(MetakitDivergenceTest, OurReaderRefusesWhatMetakitReadsAsSomethingElse) {
  for (const Divergence& d : kDivergences) {
    std::string path = std::string(WOODTICK_TESTDATA "/mk/divergent/") + d.file;
    SCOPED_TRACE(std::string(d.file) + ": " + d.why);
    std::unique_ptr<Storage> storage;
    Status s = Storage::Open(path, &storage);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(d.our_reason), std::string::npos) << s.message();
    ReferenceVerdict verdict;
    if (ReferenceCheck(path, &verdict)) {
      EXPECT_TRUE(verdict.accepted) << "Metakit now refuses it too: " << verdict.output;
    }
  }
}

// The other way round: a 64-bit column stored with size 0 (here an I column
// whose type letter became L) reads as zeros in our reader, as the format
// advises; Metakit reads memory it never filled and metakit-reference
// rejects the file. Our next commit writes the zeros out, and the file is
// then sound for both.
TEST(MetakitDivergenceTest, SizeZeroLongColumnReadsAsZerosAndIsWrittenOut) {
  std::string dir = MakeScratchDir("divergence");
  std::string path = dir + "/long.tal";
  WriteBytes(path, ReadBytes(WOODTICK_TESTDATA "/mk/divergent/long-column-size-zero.tal"));
  ReferenceVerdict verdict;
  bool reference = ReferenceCheck(path, &verdict);
  if (reference) {
    EXPECT_FALSE(verdict.accepted) << "Metakit now copes";
  }
  std::unique_ptr<Storage> storage;
  Status s = Storage::Open(path, &storage);
  ASSERT_TRUE(s.ok()) << s.message();
  View dictionary = storage->GetView("DataDictionary");
  int order6 = dictionary.FindPropIndexByName("Order6");
  ASSERT_GE(order6, 0);
  for (int r = 0; r < dictionary.GetSize(); ++r) EXPECT_EQ(dictionary.GetLong(r, order6), 0);
  std::string dump = DumpStorage(*storage);
  ASSERT_TRUE(storage->Commit().ok());
  Status reread;
  EXPECT_EQ(DumpFile(path, &reread), dump);
  if (reference) {
    ASSERT_TRUE(ReferenceCheck(path, &verdict));
    EXPECT_TRUE(verdict.accepted) << verdict.output;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mk
