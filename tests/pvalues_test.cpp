// P values formed once from whole numbers, and their adjustments over a
// family of tests, on worked examples.
#include <gtest/gtest.h>

#include <cmath>

#include "stats/pvalues.h"

namespace halvik {
namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();

// Each P as a count of 99 lineups, so p1 = (count + 1) / 100.
Pratio P(std::int64_t count) { return Plusone(count, 99); }

void Expectsame(const std::vector<double> &got, const std::vector<double> &want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i)
    if (std::isnan(want[i]))
      EXPECT_TRUE(std::isnan(got[i])) << i;
    else
      EXPECT_EQ(got[i], want[i]) << i;  // to the bit: one division of whole numbers
}

TEST(Pvalues, RoundValuesStayRound) {
  EXPECT_EQ(Plusone(2, 9999).Value(), 0.0003);
  const Pvalues p = Pvaluesof(2, 9999, true);
  EXPECT_EQ(p.P, 2.0 / 9999.0);
  EXPECT_EQ(p.P1, 0.0003);
  EXPECT_TRUE(std::isnan(Pvaluesof(2, 9999, false).P1));
  EXPECT_FALSE(Plusone(0, 0).Tested());
}

TEST(Holm, TiesCapAndUntestedLeftOutOfTheFamily) {
  // Four tested (the untested one is not counted in m): 0.01, 0.01, 0.03, 0.6
  // become 4 x 0.01, then the running maximum of 3 x 0.01, 2 x 0.03, 1 x 0.6.
  Expectsame(Holm({P(0), P(2), Pratio{}, P(59), P(0)}), {0.04, 0.06, Nan, 0.6, 0.04});
  // 2 x 0.6 is capped at 1, and 1 x 0.5 after it keeps the running maximum.
  Expectsame(Holm({P(49), P(0), P(59)}), {1.0, 0.03, 1.0});
  Expectsame(Holm({}), {});
}

TEST(Benjaminihochberg, StepUpWithTiesCapAndUntested) {
  // m = 4: 0.5 stays (4 x 0.5 / 4); 0.04 becomes 4 x 0.04 / 3 = 16/300, which
  // 0.03 takes too since its own 4 x 0.03 / 2 is larger; 0.01 becomes 0.04.
  Expectsame(Benjaminihochberg({P(0), P(3), P(2), Pratio{}, P(49)}), {0.04, 16.0 / 300.0, 16.0 / 300.0, Nan, 0.5});
  Expectsame(Benjaminihochberg({P(99), P(99)}), {1.0, 1.0});
}

}  // namespace
}  // namespace halvik
