#include "stats/fastcounts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <cmath>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "population/store.h"
#include "stats/fastbounds.h"
#include "stats/fastdraws.h"
#include "stats/fastlineups.h"
#include "stats/random.h"
#include "stats/subdivision.h"
#include "statsetup.h"

namespace {

using halvik::Fastcounts;
using halvik::Lineup;
using halvik::Lineupcounts;
using halvik::Localities;
using halvik::Observed;

// The four ratios of a lineup as the estimators give them.
Observed Ratios(const Localities &division, const Lineup &lineup) {
  const std::int32_t n = halvik::Pop.Numseqs;
  const double ks = halvik::Weightedwithin(halvik::Kj, division, lineup, false);
  const double kt = halvik::Kj(1, n, lineup, false);
  const double ft = halvik::Fbetween(division.Start, division.Count, lineup);
  const double kstars = halvik::Weightedwithin(halvik::Kjstar, division, lineup, false);
  const double kstart = halvik::Kjstar(1, n, lineup, false);
  const double fstarb = halvik::Fbetweenstar(division.Start, division.Count, lineup);
  return Observed{kt, 1.0 - ks / kt, 1.0 - ks / ft, kstart, 1.0 - kstars / kstart, 1.0 - kstars / fstarb};
}

// `n` sequences over `sites` positions, each a copy of one of `ancestors`
// random ancestors with a mutation at a site with probability 1/`rarity`
// (0: none); `letters` are the codes mutations and ancestors draw from.
std::vector<std::string> Sample(std::mt19937 &random, int n, int sites, int ancestors, int rarity,
                                const std::string &letters = "AGCT") {
  std::vector<std::string> roots(static_cast<std::size_t>(ancestors));
  for (std::string &r : roots)
    for (int p = 0; p < sites; ++p) r += letters[random() % letters.size()];
  std::vector<std::string> codes;
  for (int i = 0; i < n; ++i) {
    std::string s = roots[random() % roots.size()];
    if (rarity > 0)
      for (char &c : s)
        if (random() % static_cast<unsigned>(rarity) == 0) c = letters[random() % letters.size()];
    codes.push_back(s);
  }
  return codes;
}

// Locality starts for the given sizes.
std::vector<std::int32_t> Starts(const std::vector<int> &sizes) {
  std::vector<std::int32_t> starts{1};
  for (std::size_t k = 0; k + 1 < sizes.size(); ++k) starts.push_back(starts.back() + sizes[k]);
  return starts;
}

// Random sizes of at least two summing to n.
std::vector<int> Randomsizes(std::mt19937 &random, int n, int count) {
  std::vector<int> sizes(static_cast<std::size_t>(count), 2);
  for (int extra = n - 2 * count; extra > 0; --extra) ++sizes[random() % sizes.size()];
  return sizes;
}

// Lineups the fast engine added again in the estimators' order, within and
// between localities, over the comparisons so far.
std::int64_t Exactwithinseen = 0, Exactbetweenseen = 0;

// Both engines from the same seed: equal counts for every number of
// workers (0: as many as the engine chooses), and the generator left at the
// same point.
void Expectsamecounts(const Localities &division, const Observed &observed, std::int32_t lineups,
                      std::uint32_t seed) {
  halvik::Seedrandom(seed);
  const Lineupcounts literal = halvik::Literalcounts(division, observed, lineups);
  const std::uint32_t next = halvik::Getrandom();
  for (int workers : {0, 1, 2, 3}) {
    halvik::Seedrandom(seed);
    const Lineupcounts fast = Fastcounts(division, observed, lineups, workers);
    EXPECT_EQ(fast.Kst, literal.Kst) << "seed " << seed << ", workers " << workers;
    EXPECT_EQ(fast.Fst, literal.Fst) << "seed " << seed << ", workers " << workers;
    EXPECT_EQ(fast.Kstarst, literal.Kstarst) << "seed " << seed << ", workers " << workers;
    EXPECT_EQ(fast.Fstarsb, literal.Fstarsb) << "seed " << seed << ", workers " << workers;
    EXPECT_EQ(halvik::Getrandom(), next);
    Exactwithinseen += halvik::Lastfastreport.Exactwithin;
    Exactbetweenseen += halvik::Lastfastreport.Exactbetween;
  }
}

// Compared with the observed division, and with the ratios of a random
// lineup as the observed values: later lineups that only reorder that
// lineup's localities tie with it.
void Expectboththresholds(const Localities &division, std::int32_t lineups, std::uint32_t seed) {
  const std::int32_t n = halvik::Pop.Numseqs;
  Expectsamecounts(division, Ratios(division, halvik::Identitylineup(n)), lineups, seed);
  std::mt19937 random(seed);
  Lineup shuffled = halvik::Identitylineup(n);
  std::shuffle(shuffled.begin() + 1, shuffled.begin() + n + 1, random);
  Expectsamecounts(division, Ratios(division, shuffled), lineups, seed + 1);
}

struct Case {
  const char *name;
  int n, sites, ancestors, rarity;
  std::vector<int> sizes;  // empty: random sizes for `localities`
  int localities;
  std::string letters;
  std::int32_t lineups;
};

void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

class Fastequivalence : public ::testing::TestWithParam<Case> {};

TEST_P(Fastequivalence, SameCountsAsLiteralProcedure) {
  const Case &c = GetParam();
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed * 7919 + static_cast<std::uint32_t>(c.n));
    statsetup::Setsequences(Sample(random, c.n, c.sites, c.ancestors, c.rarity, c.letters), c.sites * 3);
    const std::vector<int> sizes = c.sizes.empty() ? Randomsizes(random, c.n, c.localities) : c.sizes;
    Expectboththresholds(statsetup::Division(Starts(sizes), c.n), c.lineups, seed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Fastequivalence,
    ::testing::Values(Case{"Four", 4, 5, 2, 3, {2, 2}, 0, "AGCT", 40},
                      Case{"FourOneLocality", 4, 5, 2, 3, {4}, 0, "AGCT", 40},
                      Case{"OneLocality", 25, 30, 3, 8, {25}, 0, "AGCT", 60},
                      Case{"TwoEqual", 30, 40, 3, 10, {15, 15}, 0, "AGCT", 80},
                      Case{"TwoUnequal", 41, 60, 4, 12, {30, 11}, 0, "AGCT", 80},
                      Case{"OneLargeManySmall", 44, 50, 3, 9, {30, 2, 3, 2, 5, 2}, 0, "AGCT", 80},
                      Case{"ThirtyPairs", 60, 25, 5, 6, {}, 30, "AGCT", 60},
                      Case{"RandomDivisions", 37, 45, 6, 7, {}, 5, "AGCTN-", 80},
                      Case{"FewSites", 20, 1, 1, 2, {}, 3, "AG", 80},
                      Case{"ManyDuplicates", 48, 30, 2, 0, {}, 4, "AGCT", 80},
                      Case{"OnlyNAndGaps", 24, 6, 1, 3, {}, 3, "N-", 80},
                      Case{"ManySites", 12, 2000, 3, 40, {}, 2, "AGCTN-", 40},
                      // Too large for the packed table, and also for unsorted records.
                      Case{"Unpacked", 300, 12, 4, 5, {}, 4, "AGCT", 6},
                      Case{"Large", 520, 12, 4, 5, {}, 3, "AGCT", 6}),
    [](const auto &info) { return std::string(info.param.name); });

// Each locality one sequence repeated: lineups that keep the localities'
// contents reproduce the observed ratios exactly.
TEST(Fastequivalence, LocalitiesOfIdenticalSequences) {
  Exactwithinseen = Exactbetweenseen = 0;
  const std::vector<std::string> kinds = {"AAAAAA", "AGAAAA", "AGCAAA", "TTTTAA"};
  for (const std::vector<int> &sizes : std::vector<std::vector<int>>{{2, 2}, {3, 2, 2}, {2, 2, 2, 2}, {5, 3}}) {
    std::vector<std::string> codes;
    for (std::size_t k = 0; k < sizes.size(); ++k)
      for (int i = 0; i < sizes[k]; ++i) codes.push_back(kinds[k]);
    statsetup::Setsequences(codes, 600);
    const auto n = static_cast<std::int32_t>(codes.size());
    for (std::uint32_t seed = 11; seed <= 14; ++seed) Expectboththresholds(statsetup::Division(Starts(sizes), n), 120, seed);
  }
  // Ties were met, and some were settled only by adding the sums again.
  EXPECT_GT(Exactwithinseen, 0);
  EXPECT_GT(Exactbetweenseen, 0);
}

// Sequences differing only where one carries N or a gap.
TEST(Fastequivalence, DifferencesOnlyByNOrGap) {
  statsetup::Setsequences({"AGCT", "AGCT", "NGCT", "AG-T", "AGCT", "-GCN", "AGCT", "AGC-"}, 100);
  for (std::uint32_t seed = 21; seed <= 26; ++seed) {
    Expectboththresholds(statsetup::Division({1, 5}, 8), 100, seed);
    Expectboththresholds(statsetup::Division({1, 3, 6}, 8), 100, seed);
  }
}

// With no differences at all every ratio is 0/0; nothing breaks and nothing counts.
TEST(Fastequivalence, NoDifferencesAnywhere) {
  statsetup::Setsequences({"ACGT", "ACGT", "ACGT", "ACGT", "ACGT", "ACGT"}, 4);
  Expectsamecounts(statsetup::Division({1, 3}, 6), Ratios(statsetup::Division({1, 3}, 6), halvik::Identitylineup(6)),
                   30, 3);
}

// Seeds whose first lineup is the identity: with two or more localities it
// reproduces the observed ratios and counts for all four.
TEST(Fastequivalence, IdentityLineupCountsForAll) {
  std::mt19937 random(99);
  statsetup::Setsequences(Sample(random, 5, 12, 2, 4), 36);
  const Localities division = statsetup::Division({1, 3}, 5);
  const Observed observed = Ratios(division, halvik::Identitylineup(5));
  int found = 0;
  for (std::uint32_t seed = 1; found < 3 && seed < 100000; ++seed) {
    halvik::Seedrandom(seed);
    bool sorted = false;
    halvik::Runlineups(5, 1, 1, [&](int, const std::int32_t *order) { sorted = std::is_sorted(order, order + 5); });
    if (!sorted) continue;
    ++found;
    Expectsamecounts(division, observed, 1, seed);
    halvik::Seedrandom(seed);
    EXPECT_EQ(Fastcounts(division, observed, 1, 2), (Lineupcounts{1, 1, 1, 1}));
  }
  EXPECT_EQ(found, 3);
}

// The bounds decide a lineup unless it ties, or nearly ties, with the
// observed values; with one locality K*s' always equals K*t but for the
// order of its sum, so every lineup is added again.
TEST(Fastreport, ExactSumsOnlyWhereBoundsCannotDecide) {
  std::mt19937 random(3);
  statsetup::Setsequences(Sample(random, 40, 60, 5, 8), 180);
  const Localities two = statsetup::Division({1, 21}, 40);
  halvik::Seedrandom(1);
  Fastcounts(two, Ratios(two, halvik::Identitylineup(40)), 200, 2);
  EXPECT_EQ(halvik::Lastfastreport.Lineups, 200);
  EXPECT_LT(halvik::Lastfastreport.Exactwithin, 10);
  const Localities one = statsetup::Division({1}, 40);
  halvik::Seedrandom(1);
  const Lineupcounts counts = Fastcounts(one, Ratios(one, halvik::Identitylineup(40)), 50, 2);
  EXPECT_EQ(halvik::Lastfastreport.Exactwithin, 50);
  EXPECT_EQ(halvik::Lastfastreport.Exactbetween, 0);
  EXPECT_EQ(counts.Kst, 50);
  EXPECT_EQ(counts.Fst, 0);
  EXPECT_EQ(counts.Fstarsb, 0);
}

TEST(Sumbounds, EncloseTheSumInEveryOrder) {
  halvik::Logterms logs;
  std::mt19937 random(17);
  for (int round = 0; round < 200; ++round) {
    const std::int32_t maxdiff = 1 + static_cast<std::int32_t>(random() % 10000);
    const std::int64_t limit = std::int64_t{1} << (10 + random() % 40);
    halvik::Setlogterms(logs, maxdiff, limit);
    ASSERT_LE(logs.Fixed[maxdiff], limit);
    const int terms = 1 + static_cast<int>(random() % 3000);
    std::vector<double> real;
    std::int64_t fixed = 0;
    for (int i = 0; i < terms; ++i) {
      // Many zero and small distances, as in samples of few haplotypes.
      const std::int32_t d = random() % 3 == 0 ? 0 : static_cast<std::int32_t>(random() % (maxdiff + 1));
      real.push_back(logs.Real[d]);
      fixed += logs.Fixed[d];
    }
    const halvik::Interval bounds = halvik::Sumbounds(fixed, terms, logs.Shift);
    for (int order = 0; order < 4; ++order) {
      if (order == 1) std::sort(real.begin(), real.end());
      if (order == 2) std::sort(real.rbegin(), real.rend());
      if (order == 3) std::shuffle(real.begin(), real.end(), random);
      double sum = 0.0;
      for (double term : real) sum += term;
      ASSERT_LE(bounds.Lo, sum) << "round " << round << ", order " << order;
      ASSERT_GE(bounds.Hi, sum) << "round " << round << ", order " << order;
    }
  }
}

TEST(Sumbounds, NarrowAtFullScale) {
  halvik::Logterms logs;
  const std::int64_t allpairs = std::int64_t{halvik::Maxseqs} * (halvik::Maxseqs - 1) / 2;
  halvik::Setlogterms(logs, halvik::Maxsegsites, ((std::int64_t{1} << 61) - 1) / allpairs);
  EXPECT_GE(logs.Shift, 38);
  // A locality of 500 sequences whose pairs differ at 40 sites: the bounds
  // are as close as the rounding of the sum itself allows.
  const std::int64_t terms = 500 * 499 / 2;
  const halvik::Interval bounds = halvik::Sumbounds(terms * logs.Fixed[40], terms, logs.Shift);
  const double sum = static_cast<double>(terms) * logs.Real[40];
  EXPECT_LT((bounds.Hi - bounds.Lo) / sum, 1e-10);
}

// The bounds step outwards by one double at a time, over every kind of value.
TEST(Sumbounds, UpAndDownStepAsNextafter) {
  constexpr double Inf = std::numeric_limits<double>::infinity();
  for (double x : {0.0, -0.0, std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
                   std::numeric_limits<double>::min(), 1.0, -1.0, 0.1, 1e300, std::numeric_limits<double>::max(),
                   -std::numeric_limits<double>::max(), Inf, -Inf, std::numeric_limits<double>::quiet_NaN()}) {
    for (const auto &[mine, towards] : {std::pair{halvik::Up(x), Inf}, std::pair{halvik::Down(x), -Inf}}) {
      const double expected = std::nextafter(x, towards);
      if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(mine));
      else
        EXPECT_EQ(std::bit_cast<std::uint64_t>(mine), std::bit_cast<std::uint64_t>(expected)) << x << " towards " << towards;
    }
  }
}

TEST(Sumbounds, ZeroTermsAndZeroSums) {
  EXPECT_EQ(halvik::Sumbounds(0, 0, 30).Lo, 0.0);
  EXPECT_EQ(halvik::Sumbounds(0, 0, 30).Hi, 0.0);
  const halvik::Interval zeros = halvik::Sumbounds(0, 1000, 30);
  EXPECT_EQ(zeros.Lo, 0.0);
  EXPECT_GT(zeros.Hi, 0.0);
  EXPECT_LT(zeros.Hi, 1e-6);
}

// Lineups from many blocks of the generator's outputs, and from part of one,
// for sizes with and without rejected outputs.
TEST(Runlineups, SameDrawsAsScanningEarlierPositions) {
  for (std::int32_t n : {1, 2, 3, 10, 256, 257, 1000}) {
    for (std::int32_t lineups : {1, 3, 40}) {
      const std::uint32_t seed = static_cast<std::uint32_t>(n + lineups);
      halvik::Seedrandom(seed);
      std::vector<std::int32_t> literal;
      for (int lineup = 0; lineup < lineups; ++lineup)
        for (std::int32_t i = 0; i < n; ++i) {
          std::int32_t v;
          do v = halvik::Rnd(1, n);
          while (std::find(literal.end() - i, literal.end(), v) != literal.end());
          literal.push_back(v);
        }
      const std::uint32_t next = halvik::Getrandom();
      halvik::Seedrandom(seed);
      std::vector<std::int32_t> drawn;
      halvik::Runlineups(n, lineups, 1, [&](int, const std::int32_t *order) {
        for (std::int32_t p = 0; p < n; ++p) drawn.push_back(order[p] + 1);
      });
      EXPECT_EQ(drawn, literal) << n << " records, " << lineups << " lineups";
      EXPECT_EQ(halvik::Getrandom(), next) << n << " records, " << lineups << " lineups";
    }
  }
}

// Every width of vectors the processor has makes the same draws.
TEST(Startdraws, SameDrawsWithEveryVectorWidth) {
  for (std::int32_t n : {3, 200, 1000}) {
    std::vector<std::int32_t> expected;
    std::uint32_t next = 0;
    for (int vectors : {128, 256, 512}) {
      halvik::Seedrandom(static_cast<std::uint32_t>(n));
      std::vector<std::int32_t> drawn(static_cast<std::size_t>(5 * n));
      halvik::Startdraws(n, vectors);
      for (int lineup = 0; lineup < 5; ++lineup) halvik::Drawlineup(drawn.data() + lineup * n);
      halvik::Stopdraws();
      if (vectors == 128) {
        expected = drawn;
        next = halvik::Getrandom();
        continue;
      }
      EXPECT_EQ(drawn, expected) << n << " records, " << vectors << "-bit vectors";
      EXPECT_EQ(halvik::Getrandom(), next);
    }
  }
}

TEST(Runlineups, EveryLineupOnceWhateverTheWorkers) {
  const std::int32_t n = 9;
  for (std::int32_t lineups : {0, 1, 15, 16, 17, 300}) {
    std::map<std::vector<std::int32_t>, int> expected;
    halvik::Seedrandom(4);
    halvik::Runlineups(n, lineups, 1, [&](int, const std::int32_t *order) { ++expected[{order, order + n}]; });
    for (int workers : {2, 3, 5}) {
      std::vector<std::map<std::vector<std::int32_t>, int>> seen(static_cast<std::size_t>(workers));
      halvik::Seedrandom(4);
      halvik::Runlineups(n, lineups, workers, [&](int worker, const std::int32_t *order) {
        ++seen[static_cast<std::size_t>(worker)][{order, order + n}];
      });
      std::map<std::vector<std::int32_t>, int> all;
      for (const auto &one : seen)
        for (const auto &[order, times] : one) all[order] += times;
      EXPECT_EQ(all, expected) << lineups << " lineups, " << workers << " workers";
    }
  }
}

}  // namespace
