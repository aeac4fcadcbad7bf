// Parsing and describing field lists.
#include "mk/field.h"

#include "gtest/gtest.h"

namespace mk {
namespace {

std::string RoundTrip(std::string_view text) {
  std::vector<Field> fields;
  Status s = ParseFields(text, &fields);
  return s.ok() ? DescribeFields(fields) : "error: " + s.message();
}

TEST(FieldTest, ParsesAndNormalises) {
  EXPECT_EQ(RoundTrip(""), "");
  EXPECT_EQ(RoundTrip("a:I,b:s,c"), "a:I,b:S,c:S");
  EXPECT_EQ(RoundTrip("m:M,x:Integer"), "m:B,x:I");
  EXPECT_EQ(RoundTrip("o[id:I,lines[sku:S,qty:I],blob:B]"), "o[id:I,lines[sku:S,qty:I],blob:B]");
  EXPECT_EQ(RoundTrip("tree[name:S,kids[^]],v[]"), "tree[name:S,kids[^]],v[]");
  EXPECT_EQ(RoundTrip("v[a:I, b:S]"), "v[a:I, b:S]") << "blanks belong to the name";

  std::vector<Field> fields;
  ASSERT_TRUE(ParseFields("tree[name:S,kids[^]]", &fields).ok());
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].type, 'V');
  ASSERT_EQ(fields[0].subfields.size(), 2u);
  EXPECT_TRUE(fields[0].subfields[1].recursive);
}

TEST(FieldTest, RejectsWhatCannotBeRead) {
  for (const char* bad :
       {"a:Q", "a[b:I", "a]", "a:I,,b:S", "a:I,A:S", "v[x:I,X:I]", "a:", ":I", "a[b]c"}) {
    std::vector<Field> fields;
    EXPECT_FALSE(ParseFields(bad, &fields).ok()) << bad;
  }
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "v[";
  std::vector<Field> fields;
  EXPECT_FALSE(ParseFields(deep, &fields).ok());
}

TEST(FieldTest, NamesCompareIgnoringAsciiCaseOnly) {
  EXPECT_TRUE(SameName("DatTable", "dattable"));
  EXPECT_FALSE(SameName("Key", "Keys"));
  EXPECT_FALSE(SameName("\xfc", "\xdc")) << "8-bit letters are not folded";
}

}  // namespace
}  // namespace mk
