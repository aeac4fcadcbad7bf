#include "model/tally_summary.h"

#include <gtest/gtest.h>

#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

class TallySummaryTest : public ModelTest {
 protected:
  // Two units; Pine measures every tally, Fir one in three (systematic),
  // Snag is counted only, Aspen is random at 1 in 4 and never tallied.
  TallySummary TallyKnownCounts() {
    TallyFileSpec spec;
    spec.num_units = 2;
    spec.populations = {{"A", "Pine", "", "C", 1},
                        {"B", "Fir", "", "S", 3},
                        {"C", "Snag", "", " ", 0},
                        {"D", "Aspen", "", "R", 4}};
    TallyModel& model = Open(Build("known.tal", spec));
    Press("AABBBBC");
    model.tallying().SetCurrentUnit("002");
    Press("BX");  // X is no population's key
    return model.utilities().Summary();
  }
};

TEST_F(TallySummaryTest, CountsHitsTotalsAndSharesOfAKnownTally) {
  const TallySummary s = TallyKnownCounts();
  ASSERT_EQ(s.num_units, 2);
  EXPECT_EQ(s.cur_unit, 2);
  ASSERT_EQ(s.populations.size(), 4u);
  const PopulationSummary& fir = s.populations[1];
  EXPECT_EQ(fir.label, "Fir");
  EXPECT_EQ(fir.counts, (std::vector<int64_t>{4, 1}));
  EXPECT_EQ(fir.hits, (std::vector<int64_t>{2, 1}));  // 1st and 4th of unit 1, 1st of unit 2
  EXPECT_EQ(fir.total_count, 5);
  EXPECT_DOUBLE_EQ(*fir.measured_share, 0.6);
  EXPECT_NEAR(fir.aimed_share, 1.0 / 3, 1e-6);
  EXPECT_FALSE(s.populations[3].measured_share.has_value());
  EXPECT_EQ(s.unit_counts, (std::vector<int64_t>{7, 1}));
  EXPECT_EQ(s.unit_hits, (std::vector<int64_t>{4, 1}));
  EXPECT_EQ(s.total_count, 8);
  EXPECT_EQ(s.total_hits, 5);

  const std::string text = TabSeparated(SummaryTable(s));
  EXPECT_EQ(text,
            "Population\tKey\t001 C\t001 M\t002 C\t002 M\tTotal C\tTotal M\tMeasured\tAimed\n"
            "Pine\tA\t2\t2\t0\t0\t2\t2\t100.0%\t100.0%\n"
            "Fir\tB\t4\t2\t1\t1\t5\t3\t60.0%\t33.3%\n"
            "Snag\tC\t1\t0\t0\t0\t1\t0\t0.0%\t0.0%\n"
            "Aspen\tD\t0\t0\t0\t0\t0\t0\t-\t25.0%\n"
            "Total\t\t7\t4\t1\t1\t8\t5\t62.5%\t\n");
}

TEST_F(TallySummaryTest, AimedShareFollowsEachMethod) {
  EXPECT_DOUBLE_EQ(AimedShare('C', 0), 1);
  EXPECT_DOUBLE_EQ(AimedShare('S', 2.5), 1.0 / 3);  // every third: N rounded up
  EXPECT_DOUBLE_EQ(AimedShare('B', 2.4), 0.5);      // N rounded to nearest
  EXPECT_DOUBLE_EQ(AimedShare('P', 4), 0.25);
  EXPECT_FLOAT_EQ(AimedShare('R', 0.3f), 0.3f);  // a probability as given
  EXPECT_DOUBLE_EQ(AimedShare('A', 5), 0.2);
  EXPECT_DOUBLE_EQ(AimedShare('R', 0), 0);
  EXPECT_DOUBLE_EQ(AimedShare(' ', 3), 0);
  EXPECT_DOUBLE_EQ(AimedShare('Q', 3), 0);
}

TEST_F(TallySummaryTest, AlignedColumnsPadEveryColumnToItsWidestCell) {
  const std::string text = AlignedColumns({{"Population", "Total C"}, {"Fir", "5"}});
  EXPECT_EQ(text, "Population  Total C\nFir               5\n");
}

}  // namespace
}  // namespace woodtick
