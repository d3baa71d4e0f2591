#include "stats/estimators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "statsetup.h"
#include "stats/subdivision.h"

namespace {

using halvik::Fbetween;
using halvik::Fbetweenstar;
using halvik::Kj;
using halvik::Kjstar;
using halvik::Lineup;
using halvik::Piij;

struct Range {
  const char *name;
  std::vector<std::string> codes;
  std::int32_t length;
  double kj, kjstar, piij;
};

class Withinrange : public ::testing::TestWithParam<Range> {};

TEST_P(Withinrange, MeansOverAllPairsWithEchoOffAndOn) {
  const Range &c = GetParam();
  statsetup::Captured out;
  statsetup::Setsequences(c.codes, c.length);
  const auto n = static_cast<std::int32_t>(c.codes.size());
  const Lineup lineup = halvik::Identitylineup(n);
  EXPECT_EQ(Kj(1, n, lineup, false), c.kj);
  EXPECT_EQ(Kjstar(1, n, lineup, false), c.kjstar);
  EXPECT_DOUBLE_EQ(Piij(1, n, lineup, false), c.piij);
  out.Flush();
  EXPECT_EQ(out.console, "");
  EXPECT_EQ(out.results, "");
  EXPECT_EQ(Kj(1, n, lineup, true), c.kj);
  EXPECT_EQ(Kjstar(1, n, lineup, true), c.kjstar);
  EXPECT_DOUBLE_EQ(Piij(1, n, lineup, true), c.piij);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Withinrange,
    ::testing::Values(
        Range{"TwoSequences", {"AGCT", "GGTT"}, 10, 2.0, std::log(3.0), 0.2},
        Range{"AllAlike", {"AG", "AG", "AG", "AG"}, 10, 0.0, 0.0, 0.0},
        // Differences 1, 2 and 3 for the pairs (1,2), (1,3), (2,3).
        Range{"OneTwoThree", {"AAA", "GAA", "ACC"}, 60, 2.0, (std::log(2.0) + std::log(3.0) + std::log(4.0)) / 3.0,
              0.1 / 3.0},
        Range{"EveryPairOnce", {"AA", "GA", "CA", "TA"}, 600, 1.0, std::log(2.0), 1.0 / 600.0},
        Range{"EveryPairOnceExactly", {"-", "N", "A"}, 512, 1.0, std::log(2.0), 1.0 / 512.0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Withinrange, ThreeSequenceStarredValueShowsSixDecimals) {
  statsetup::Captured out;
  statsetup::Setsequences({"AAA", "GAA", "ACC"}, 60);
  Kjstar(1, 3, halvik::Identitylineup(3), true);
  out.Flush();
  EXPECT_EQ(out.console, "K*(s1 to s3):  1.059351\n");
}

TEST(Withinrange, EchoLinesNameTheRangeAndTabTheResultsCopy) {
  statsetup::Captured out;
  statsetup::Setpopulation({{"alpha", "AA"}, {"beta", "GA"}, {"gamma", "GC"}}, 300);
  const Lineup lineup = halvik::Identitylineup(3);
  Piij(1, 3, lineup, true);
  Kj(1, 3, lineup, true);
  Kjstar(2, 3, lineup, true);
  out.Flush();
  EXPECT_EQ(out.console,
            "(alpha to gamma)  Pi i,j:  0.004444\n"
            "K(alpha to gamma):  1.333333\n"
            "K*(beta to gamma):  0.693147\n");
  EXPECT_EQ(out.results,
            "(alpha to gamma)  Pi i,j:  \t0.004444\n"
            "K(alpha to gamma):  \t1.333333\n"
            "K*(beta to gamma):  \t0.693147\n");
}

TEST(Withinrange, EchoNamesRecordsFirstAndLastWhateverTheLineup) {
  statsetup::Captured out;
  statsetup::Setsequences({"AA", "GA", "GC", "TT"}, 100);
  Lineup lineup{};
  lineup[1] = 4;
  lineup[2] = 3;
  lineup[3] = 2;
  lineup[4] = 1;
  // Positions 1..2 hold records 4 and 3, two sites apart.
  EXPECT_EQ(Kj(1, 2, lineup, true), 2.0);
  out.Flush();
  EXPECT_EQ(out.console, "K(s1 to s2):  2.000000\n");
}

TEST(Withinrange, ReorderingWithinTheRangeKeepsTheMean) {
  statsetup::Setsequences({"AAC", "GAT", "ACC", "T-N", "NNN"}, 90);
  const Lineup forward = halvik::Identitylineup(5);
  Lineup backward{};
  for (int p = 1; p <= 5; ++p) backward[p] = 6 - p;
  EXPECT_EQ(Kj(1, 5, backward, false), Kj(1, 5, forward, false));
  EXPECT_DOUBLE_EQ(Kjstar(1, 5, backward, false), Kjstar(1, 5, forward, false));
}

TEST(Withinrange, LargestRangeCountsPairsWithoutOverflow) {
  std::vector<std::string> codes(halvik::Maxseqs, "A");
  codes[0] = "G";  // 999 of the 499500 pairs differ
  statsetup::Setsequences(codes, 10);
  EXPECT_EQ(Kj(1, halvik::Maxseqs, halvik::Identitylineup(halvik::Maxseqs), false), 999.0 / 499500.0);
}

// Between localities of sizes 2 and 3 there are six pairs; two of them are
// seven sites apart and four one site, so the mean is 18 / 6.
TEST(Betweenlocalities, AveragesOverTheSixPairsOfTwoAndThree) {
  statsetup::Setsequences({"AAAAAAAA", "AAAAAAAA", "GAAAAAAA", "GAAAAAAA", "AGGGGGGG"}, 40);
  const halvik::Localities division = statsetup::Division({1, 3}, 5);
  const Lineup lineup = halvik::Identitylineup(5);
  EXPECT_EQ(Fbetween(division.Start, division.Count, lineup), 3.0);
  const double ln2 = std::log(2.0), ln8 = std::log(8.0);
  EXPECT_EQ(Fbetweenstar(division.Start, division.Count, lineup), (ln2 + ln2 + ln8 + ln2 + ln2 + ln8) / 6.0);
}

TEST(Betweenlocalities, SumsInLocalityThenPositionOrder) {
  statsetup::Setsequences({"AAA", "GAA", "GCA", "TTT", "CCC", "-AA"}, 30);
  const halvik::Localities division = statsetup::Division({1, 3, 5}, 6);
  const Lineup lineup = halvik::Identitylineup(6);
  // Localities {1,2}, {3,4}, {5,6}: pairs (1,3) (1,4) (2,3) (2,4) (1,5) (1,6)
  // (2,5) (2,6) (3,5) (3,6) (4,5) (4,6).
  const double d[] = {2, 3, 1, 3, 3, 1, 3, 1, 2, 2, 3, 3};
  double sum = 0.0, logsum = 0.0;
  for (double x : d) {
    sum += x;
    logsum += std::log(1.0 + x);
  }
  EXPECT_EQ(Fbetween(division.Start, division.Count, lineup), sum / 12.0);
  EXPECT_EQ(Fbetweenstar(division.Start, division.Count, lineup), logsum / 12.0);
}

TEST(Betweenlocalities, OneLocalityHasNoPairsAndGivesNaN) {
  statsetup::Setsequences({"AA", "GA", "GC"}, 10);
  const halvik::Localities division = statsetup::Division({1}, 3);
  EXPECT_TRUE(std::isnan(Fbetween(division.Start, division.Count, halvik::Identitylineup(3))));
  EXPECT_TRUE(std::isnan(Fbetweenstar(division.Start, division.Count, halvik::Identitylineup(3))));
}

}  // namespace
