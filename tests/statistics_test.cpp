// The estimators over ranges of sequences and the statistics of a division.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "stats/estimators.h"
#include "stats/subdivision.h"
#include "support.h"

namespace halvik {
namespace {

struct Range {
  std::vector<std::string> codes;
  std::int32_t length;
  double kj, kjstar, piij;
};

class Withinrange : public ::testing::TestWithParam<Range> {};

TEST_P(Withinrange, MeansOverAllPairs) {
  const Range &c = GetParam();
  support::Setsequences(c.codes, c.length);
  const Distances d = Measuredistances(Pop);
  const auto n = static_cast<std::int32_t>(c.codes.size());
  const Lineup lineup = Identitylineup(n);
  EXPECT_EQ(Kj(d, 1, n, lineup), c.kj);
  EXPECT_EQ(Kjstar(d, 1, n, lineup), c.kjstar);
  EXPECT_DOUBLE_EQ(Piij(d, 1, n, lineup), c.piij);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Withinrange,
    ::testing::Values(
        Range{{"AGCT", "GGTT"}, 10, 2.0, std::log(3.0), 0.2}, Range{{"AG", "AG", "AG"}, 10, 0, 0, 0},
        // Differences 1, 2 and 3 for the pairs (1,2), (1,3), (2,3).
        Range{{"AAA", "GAA", "ACC"}, 60, 2.0, (std::log(2.0) + std::log(3.0) + std::log(4.0)) / 3.0, 0.1 / 3.0},
        // Every pair one site apart: Piij is 1/L.
        Range{{"AA", "GA", "CA", "TA"}, 600, 1.0, std::log(2.0), 1.0 / 600.0},
        Range{{"-", "N", "A"}, 512, 1.0, std::log(2.0), 1.0 / 512.0}));

TEST(Betweenlocalities, SumsInLocalityThenPositionOrder) {
  support::Setsequences({"AAA", "GAA", "GCA", "TTT", "CCC", "-AA"}, 30);
  const Distances d = Measuredistances(Pop);
  const Localities division = support::Division({1, 3, 5}, 6);
  // Pairs (1,3) (1,4) (2,3) (2,4) (1,5) (1,6) (2,5) (2,6) (3,5) (3,6) (4,5) (4,6).
  double sum = 0.0, logsum = 0.0;
  for (double diff : {2, 3, 1, 3, 3, 1, 3, 1, 2, 2, 3, 3}) sum += diff, logsum += std::log(1.0 + diff);
  EXPECT_EQ(Fbetween(d, division.Start, division.Count, Identitylineup(6)), sum / 12.0);
  EXPECT_EQ(Fbetweenstar(d, division.Start, division.Count, Identitylineup(6)), logsum / 12.0);
}

// Sites: A A A, G A A, C G G, C T G; localities 1-2 and 3-4.
TEST(Subdivisionstatistics, FourSequenceExampleGivesAllTwelveValues) {
  support::Setsequences({"AAA", "GAA", "CGG", "CTG"}, 600);
  const Subdivision s = Subdivisionstats(Measuredistances(Pop), support::Division({1, 3}, 4));
  const double ln2 = std::log(2.0), ln4 = std::log(4.0);
  EXPECT_EQ(s.Ks, 1.0);
  EXPECT_EQ(s.Kt, 14.0 / 6.0);
  EXPECT_EQ(s.Kst, 1.0 - 1.0 / (14.0 / 6.0));
  EXPECT_EQ(s.Fs, 1.0);
  EXPECT_EQ(s.Ft, 3.0);
  EXPECT_EQ(s.Fst, 1.0 - 1.0 / 3.0);
  EXPECT_EQ(s.Ksstar, ln2 * 0.5 + ln2 * 0.5);
  EXPECT_EQ(s.Ktstar, (ln2 + ln4 + ln4 + ln4 + ln4 + ln2) / 6.0);
  EXPECT_EQ(s.Kststar, 1.0 - s.Ksstar / s.Ktstar);
  EXPECT_EQ(s.Fsstar, s.Ksstar);
  EXPECT_EQ(s.Fbstar, (ln4 + ln4 + ln4 + ln4) / 4.0);
  EXPECT_EQ(s.Fsbstar, 1.0 - s.Fsstar / s.Fbstar);
  EXPECT_EQ(s.K[1], 1.0);
  EXPECT_EQ(s.K[0], s.Kt);
  EXPECT_EQ(s.Pi[2], 1.0 / 600.0);
  EXPECT_EQ(s.Kstar[2], ln2);
}

// Its lines are pinned by the transcript stats-thirty-localities-then-one.
TEST(Subdivisionstatistics, OneLocalityGivesZeroKstAndNanBetweenLocalities) {
  support::Setsequences({"AAC", "GAC", "GTC"}, 30);
  const Subdivision s = Subdivisionstats(Measuredistances(Pop), support::Division({1}, 3));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(s.Kst), 0u);  // +0, exactly
  EXPECT_EQ(std::bit_cast<std::uint64_t>(s.Kststar), 0u);
  EXPECT_TRUE(std::isnan(s.Ft) && std::isnan(s.Fst) && std::isnan(s.Fbstar) && std::isnan(s.Fsbstar));
}

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct Rounding {
  std::vector<std::string> codes;
  std::int32_t second;  // the first sequence of the second locality
  Rangeestimator estimator;
};

class Weightedsum : public ::testing::TestWithParam<Rounding> {};

// Each weighted term is rounded before it is added; a fused multiply-add
// would round once and give a different last bit on these samples.
TEST_P(Weightedsum, RoundsEachProductBeforeAdding) {
  const Rounding &c = GetParam();
  const auto n = static_cast<std::int32_t>(c.codes.size());
  support::Setsequences(c.codes, 100);
  const Distances d = Measuredistances(Pop);
  const Localities division = support::Division({1, c.second}, n);
  const Lineup lineup = Identitylineup(n);
  volatile double p1 = c.estimator(d, 1, c.second - 1, lineup) * division.Weight[1];
  const double second = c.estimator(d, c.second, n, lineup);
  volatile double p2 = second * division.Weight[2];
  const double separate = p1 + p2;
  ASSERT_NE(Bits(separate), Bits(std::fma(second, division.Weight[2], p1))) << "the sample tells nothing apart";
  EXPECT_EQ(Bits(Weightedwithin(c.estimator, d, division, lineup)), Bits(separate));
  const Subdivision s = Subdivisionstats(d, division);
  EXPECT_EQ(Bits(c.estimator == Kj ? s.Ks : s.Ksstar), Bits(separate));
}

INSTANTIATE_TEST_SUITE_P(Samples, Weightedsum,
                         ::testing::Values(Rounding{{"ACA", "AAA", "AAA", "AGG", "GCG", "CAC"}, 3, Kj},
                                           Rounding{{"AAG", "CAG", "CCG", "ACA", "GAG"}, 4, Kjstar}));

}  // namespace
}  // namespace halvik
