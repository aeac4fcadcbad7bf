// Views: handles, row operations, copies between views, and derived views.
#include "mk/view.h"

#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "gtest/gtest.h"
#include "mk/storage.h"
#include "mk/testing/memory_file_system.h"

namespace mk {
namespace {

View Trees() {
  View v = View::FromDescription("Unit:S,Num:I,Height:D");
  const char* units[] = {"b", "a", "c", "a", "b"};
  int nums[] = {5, 3, 9, 1, 3};
  v.SetSize(5);
  for (int r = 0; r < 5; ++r) {
    v.SetString(r, 0, units[r]);
    v.SetInt(r, 1, nums[r]);
    v.SetDouble(r, 2, r * 1.5);
  }
  return v;
}

std::vector<int> Nums(const View& v) {
  std::vector<int> out;
  int col = v.FindPropIndexByName("num");
  for (int r = 0; r < v.GetSize(); ++r) out.push_back(v.GetInt(r, col));
  return out;
}

TEST(ViewTest, HandlesShareRowsAndClonesDoNot) {
  View a = Trees();
  View b = a;
  b.SetInt(0, 1, 42);
  EXPECT_EQ(a.GetInt(0, 1), 42);
  View c = a.Clone();
  EXPECT_EQ(c.GetSize(), 0);
  EXPECT_EQ(c.Description(), "Unit:S,Num:I,Height:D");
  EXPECT_EQ(a.FindPropIndexByName("HEIGHT"), 2);
  EXPECT_EQ(a.FindPropIndexByName("Width"), -1);
}

TEST(ViewTest, RowOperations) {
  View v = Trees();
  v.InsertEmptyRowsAt(1, 2);
  EXPECT_EQ(Nums(v), (std::vector<int>{5, 0, 0, 3, 9, 1, 3}));
  EXPECT_EQ(v.GetString(1, 0), "");
  v.RemoveAt(0, 3);
  EXPECT_EQ(Nums(v), (std::vector<int>{3, 9, 1, 3}));
  v.SetSize(2);
  EXPECT_EQ(Nums(v), (std::vector<int>{3, 9}));
  v.SetSize(3);
  EXPECT_EQ(v.GetDouble(2, 2), 0.0);
  EXPECT_THROW(v.RemoveAt(2, 2), std::out_of_range);
  EXPECT_THROW(v.InsertEmptyRowsAt(4), std::out_of_range);
  EXPECT_THROW(v.GetInt(3, 1), std::out_of_range);
  EXPECT_THROW(v.GetString(0, 1), std::logic_error) << "wrong accessor for the type";
}

TEST(ViewTest, InsertRowsMatchesColumnsByNameAndConverts) {
  View src = Trees();
  View dst = View::FromDescription("num:S,Extra:L,unit:S");
  dst.SetSize(1);
  dst.SetString(0, 2, "first");
  dst.InsertRowsAt(1, src);
  ASSERT_EQ(dst.GetSize(), 6);
  EXPECT_EQ(dst.GetString(0, 2), "first");
  EXPECT_EQ(dst.GetString(1, 0), "5");
  EXPECT_EQ(dst.GetString(1, 2), "b");
  EXPECT_EQ(dst.GetLong(1, 1), 0);
  // A view inserted into itself doubles.
  dst.InsertRowsAt(0, dst);
  EXPECT_EQ(dst.GetSize(), 12);
  EXPECT_EQ(dst.GetString(6, 2), "first");
}

TEST(ViewTest, CopiesAreIndependentAfterChanges) {
  View src = Trees();
  View copy = src.Clone();
  copy.InsertRowsAt(0, src);  // shares the columns until one side changes
  copy.SetString(0, 0, "changed");
  src.SetInt(1, 1, 77);
  EXPECT_EQ(src.GetString(0, 0), "b");
  EXPECT_EQ(copy.GetInt(1, 1), 3);
  copy.RemoveAt(0, 1);
  EXPECT_EQ(src.GetSize(), 5);
  EXPECT_EQ(copy.GetString(0, 0), "a");
}

TEST(ViewTest, NestedViewsCopyDeeply) {
  View orders = View::FromDescription("id:I,lines[sku:S,qty:I]");
  orders.SetSize(1);
  View lines = orders.GetSubview(0, 1);
  lines.SetSize(2);
  lines.SetString(1, 0, "x");
  View copy = orders.Clone();
  copy.InsertRowsAt(0, orders);
  copy.GetSubview(0, 1).SetString(1, 0, "y");
  EXPECT_EQ(orders.GetSubview(0, 1).GetString(1, 0), "x");
  EXPECT_EQ(copy.GetSubview(0, 1).GetString(1, 0), "y");
  EXPECT_TRUE(orders.GetSubview(0, 1).SameAs(lines));
}

TEST(ViewTest, AMarkFollowsItsRowThroughEveryChangeOfTheTable) {
  View a_units = View::FromDescription("Unit:S");
  a_units.SetSize(1);
  a_units.SetString(0, 0, "a");
  const struct {
    const char* change;
    std::function<void(View&)> make;
    int row;  // where the marked row (Num 9, at 2) is afterwards
  } cases[] = {
      {"rows inserted before", [](View& v) { v.InsertEmptyRowsAt(1, 2); }, 4},
      {"rows inserted after", [](View& v) { v.InsertEmptyRowsAt(3); }, 2},
      {"rows copied in before", [](View& v) { v.InsertRowsAt(0, Trees()); }, 7},
      {"rows removed before", [](View& v) { v.RemoveAt(0, 2); }, 0},
      {"rows removed after", [](View& v) { v.SetSize(3); }, 2},
      {"removed through a selection", [&](View& v) { v.Select(a_units).RemoveAt(0); }, 1},
      {"added through a selection", [&](View& v) { v.Select(a_units).InsertEmptyRowsAt(0); }, 2},
      {"its row removed", [](View& v) { v.RemoveAt(1, 3); }, RowMark::kRemoved},
      {"the table emptied", [](View& v) { v.SetSize(0); }, RowMark::kRemoved},
  };
  for (const auto& c : cases) {
    View v = Trees();
    std::shared_ptr<const RowMark> mark = v.SortOn({1}).MarkRow(4);  // Num 9
    c.make(v);
    EXPECT_EQ(v.MarkedRow(*mark), c.row) << c.change;
    if (c.row >= 0) {
      EXPECT_EQ(v.GetInt(c.row, 1), 9) << c.change;
    }
    EXPECT_EQ(v.Clone().MarkedRow(*mark), c.row >= 0 ? RowMark::kLost : c.row) << c.change;
  }
  std::shared_ptr<const RowMark> orphan = Trees().MarkRow(0);
  EXPECT_EQ(orphan->row(), RowMark::kLost) << "its table is gone";
}

TEST(DerivedViewTest, SelectComparesConvertedCriteriaByteByByte) {
  View v = Trees();
  View crit = View::FromDescription("Unit:S,Num:S");
  crit.SetSize(1);
  crit.SetString(0, 0, "a");
  crit.SetString(0, 1, "003");  // converted to the I column: 3
  View sel = v.Select(crit);
  ASSERT_EQ(sel.GetSize(), 1);
  EXPECT_EQ(sel.RowInBase(0), 1);
  EXPECT_TRUE(sel.IsDerived());
  crit.SetString(0, 0, "A");
  EXPECT_EQ(v.Select(crit).GetSize(), 0) << "texts compare with case";
  EXPECT_EQ(v.Select(View::FromDescription("Unit:S")).GetSize(), 5) << "no criteria row";
}

TEST(DerivedViewTest, SortIsStableAndWritesReachTheBase) {
  View v = Trees();
  View sorted = v.SortOn({0, 1});
  std::vector<int> rows;
  for (int r = 0; r < sorted.GetSize(); ++r) rows.push_back(sorted.RowInBase(r));
  EXPECT_EQ(rows, (std::vector<int>{3, 1, 4, 0, 2}));
  View by_num = v.SortOn({1});
  EXPECT_EQ(by_num.RowInBase(1), 1) << "ties keep base order";
  EXPECT_EQ(by_num.RowInBase(2), 4);
  sorted.SetDouble(0, 2, 99.0);
  EXPECT_EQ(v.GetDouble(3, 2), 99.0);

  View proj = sorted.Project({2, 0});
  EXPECT_EQ(proj.Description(), "Height:D,Unit:S");
  EXPECT_EQ(proj.GetString(1, 1), "a");
  EXPECT_EQ(proj.RowInBase(1), 1);
  proj.SetString(4, 1, "z");
  EXPECT_EQ(v.GetString(2, 0), "z");

  View crit = View::FromDescription("Unit:S");
  crit.SetSize(1);
  crit.SetString(0, 0, "b");
  View both = sorted.Select(crit);
  ASSERT_EQ(both.GetSize(), 2);
  EXPECT_EQ(both.RowInBase(0), 4);
  EXPECT_EQ(both.RowInBase(1), 0);
}

TEST(DerivedViewTest, RowsAddedToASelectionGoToItsBase) {
  View v = Trees();
  View crit = View::FromDescription("Unit:S");
  crit.SetSize(1);
  crit.SetString(0, 0, "a");
  View sel = v.Select(crit);
  sel.InsertEmptyRowsAt(sel.GetSize());
  EXPECT_EQ(v.GetSize(), 6);
  EXPECT_EQ(sel.RowInBase(2), 5);
  sel.RemoveAt(0);
  EXPECT_EQ(v.GetSize(), 5);
  EXPECT_EQ(sel.RowInBase(0), 2) << "rows after the removed one moved up";
  EXPECT_EQ(sel.RowInBase(1), 4);
}

TEST(DerivedViewTest, StaleDerivedViewsThrowInsteadOfReadingPastTheTable) {
  View v = Trees();
  View sorted = v.SortOn({1});
  View proj = v.Project({2});
  EXPECT_TRUE(sorted.IsIntact());
  EXPECT_TRUE(sorted.HasCell(4, 1));
  v.SetSize(2);
  EXPECT_THROW(sorted.GetInt(4, 1), std::out_of_range);
  EXPECT_THROW(sorted.SortOn({0}), std::out_of_range);
  EXPECT_EQ(proj.GetDouble(1, 0), 1.5) << "rows still present stay readable";
  EXPECT_THROW(proj.GetDouble(3, 0), std::out_of_range);

  // The same faults told without an exception.
  EXPECT_FALSE(sorted.IsIntact());
  EXPECT_FALSE(sorted.HasRow(4));
  EXPECT_FALSE(sorted.HasCell(4, 1));
  EXPECT_TRUE(proj.HasCell(1, 0));
  EXPECT_FALSE(proj.HasRow(3));
  EXPECT_TRUE(v.IsIntact());
  for (auto [row, col] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 3}}) {
    EXPECT_FALSE(v.HasCell(row, col)) << row << "," << col;
  }
  EXPECT_FALSE(v.HasRow(2));
  EXPECT_TRUE(v.HasRow(1));
}

TEST(DerivedViewTest, ARestructuredTableLeavesItsDerivedViewsStaleColumnsTold) {
  MemoryFileSystem fs;
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open("t.mk", &storage, &fs).ok());
  View t = storage->GetAs("T[Unit:S,Num:I,Height:D]");
  t.InsertRowsAt(0, Trees());
  View unit = t.Project({0});
  View num = t.Project({1});
  View height = t.Project({2});
  storage->GetAs("T[Unit:S,Num:S]");  // Num changes its type, Height goes
  EXPECT_TRUE(unit.IsIntact());
  EXPECT_EQ(unit.GetString(0, 0), "b");
  for (const View& stale : {num, height}) {
    EXPECT_FALSE(stale.IsIntact());
    EXPECT_TRUE(stale.HasRow(0)) << "the rows are all there";
    EXPECT_FALSE(stale.HasCell(0, 0));
  }
  EXPECT_THROW(num.GetInt(0, 0), std::out_of_range);
}

TEST(ViewTest, ValuesOfEveryTypeRoundTrip) {
  View v = View::FromDescription("s:S,i:I,l:L,f:F,d:D,b:B");
  v.SetSize(1);
  v.SetString(0, 0, std::string("ab\0cd", 5));
  EXPECT_EQ(v.GetString(0, 0), "ab") << "a text ends at its first NUL";
  v.SetInt(0, 1, -2147483647 - 1);
  v.SetLong(0, 2, -9223372036854775807LL - 1);
  v.SetFloat(0, 3, -0.0f);
  v.SetDouble(0, 4, 5e-324);
  v.SetBytes(0, 5, std::string("\0\xff", 2));
  EXPECT_EQ(v.GetInt(0, 1), -2147483647 - 1);
  EXPECT_EQ(v.GetLong(0, 2), -9223372036854775807LL - 1);
  EXPECT_TRUE(std::signbit(v.GetFloat(0, 3)));
  EXPECT_EQ(v.GetDouble(0, 4), 5e-324);
  EXPECT_EQ(v.GetBytes(0, 5), std::string("\0\xff", 2));
}

}  // namespace
}  // namespace mk
