// The permutation engine against the reference evaluation (Literalcounts, which
// the permutation test replays independently) over many generated samples, and
// the parts its exactness rests on: the bounds of the log sums and the draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "stats/estimators.h"
#include "stats/fast/bounds.h"
#include "stats/fast/draws.h"
#include "stats/fast/engine.h"
#include "stats/fast/lineups.h"
#include "stats/lineupsums.h"
#include "stats/permutation.h"
#include "stats/subdivision.h"
#include "support.h"

namespace halvik {
namespace {

// The four ratios of a lineup as the estimators give them, against the
// observed totals when they are given.
Observed Ratios(const Distances &d, const Localities &division, const Lineup &lineup, const Observed *totals) {
  const std::int32_t n = Pop.Numseqs;
  const double ks = Weightedwithin(Kj, d, division, lineup);
  const double kt = totals ? totals->Kt : Kj(d, 1, n, lineup);
  const double ft = Fbetween(d, division.Start, division.Count, lineup);
  const double ksstar = Weightedwithin(Kjstar, d, division, lineup);
  const double ktstar = totals ? totals->Ktstar : Kjstar(d, 1, n, lineup);
  const double fbstar = Fbetweenstar(d, division.Start, division.Count, lineup);
  return Observed{kt, 1.0 - ks / kt, 1.0 - ks / ft, ktstar, 1.0 - ksstar / ktstar, 1.0 - ksstar / fbstar};
}

// `n` sequences, each a copy of one of `ancestors` random ancestors with a
// mutation at a site with probability 1/`rarity` (0: none).
std::vector<std::string> Sample(std::mt19937 &random, int n, int sites, int ancestors, int rarity,
                                const std::string &letters) {
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

// Random locality starts for `count` localities of at least two of n.
std::vector<std::int32_t> Randomstarts(std::mt19937 &random, int n, int count) {
  std::vector<int> sizes(static_cast<std::size_t>(count), 2);
  for (int extra = n - 2 * count; extra > 0; --extra) ++sizes[random() % sizes.size()];
  std::vector<std::int32_t> starts{1};
  for (std::size_t k = 0; k + 1 < sizes.size(); ++k) starts.push_back(starts.back() + sizes[k]);
  return starts;
}

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Snn and ΦST of a lineup from the plain neighbour pairs and within sums,
// against the observed ones of `plan`: whether each counts, and its value.
struct Plainexact {
  bool Snn, Phist;
  double Snnvalue, Phistvalue;
};
Plainexact Plainexactof(const Distances &d, const Localities &division, const Exactplan &plan, const Lineup &lineup) {
  std::vector<std::int32_t> place(static_cast<std::size_t>(d.Size()) + 1);
  Placesof(division, lineup, place.data());
  std::vector<Wide> sums(plan.Nearest.Classes()), observed(plan.Nearest.Classes());
  Snnsums(plan.Nearest, place.data(), sums.data());
  Placesof(division, Identitylineup(d.Size()), place.data());
  Snnsums(plan.Nearest, place.data(), observed.data());
  std::array<Wide, Maxlocalities + 1> within{};
  for (std::int32_t k = 1; k <= division.Count; ++k)
    for (std::int32_t a = division.Start[k]; a < division.Start[k + 1]; ++a)
      for (std::int32_t b = a + 1; b < division.Start[k + 1]; ++b) within[k] += d.Units(lineup[a], lineup[b]);
  const bool divided = division.Count >= 2;
  return {divided && Snnatleast(plan.Nearest, sums.data(), observed.data()),
          Phistatleast(plan.Phist, within.data(), plan.Withinobserved.data()),
          divided ? Snnvalue(plan.Nearest, sums.data()) : std::nan(""), Phistvalue(plan.Phist, within.data())};
}

// Engine and reference from the same seed: equal counts for every number of
// workers, the generator left at the same point, and, when every value is
// asked for, each lineup's values to the bit. Snn and ΦST, whose engine
// counts identical records a group at a time, against their plain pairs.
void Expectsame(const Distances &d, const Localities &division, const Observed &observed, std::int32_t lineups,
                std::uint32_t seed, Fastreport &seen) {
  Mersennetwister generator;
  Seedgenerator(generator, seed);
  Lineupcounts literal = Literalcounts(d, division, observed, lineups, generator);
  const std::uint32_t next = Nextoutput(generator);
  const Exactplan plan = Makeexactplan(d, division);
  Seedgenerator(generator, seed);
  Runlineups(d.Size(), lineups, 1, generator, [&](int, std::int32_t, const std::int32_t *order) {
    Lineup lineup{};
    for (std::int32_t p = 1; p <= d.Size(); ++p) lineup[p] = order[p - 1] + 1;
    const Plainexact plain = Plainexactof(d, division, plan, lineup);
    literal[Testsnn] += plain.Snn;
    literal[Testphist] += plain.Phist;
  });
  for (int workers : {0, 1, 3}) {
    Seedgenerator(generator, seed);
    Fastreport report;
    Fastoptions options{workers, &report};
    options.Exact = &plan;
    const Lineupcounts fast = Fastcounts(d, division, observed, lineups, generator, options);
    EXPECT_EQ(fast, literal) << "seed " << seed << ", workers " << workers;
    EXPECT_EQ(Nextoutput(generator), next);
    seen.Exactwithin += report.Exactwithin;
    seen.Exactbetween += report.Exactbetween;
  }
  Nullvalues null;
  Seedgenerator(generator, seed);
  Fastreport report;
  Fastoptions options{2, &report, &null};
  options.Exact = &plan;
  EXPECT_EQ(Fastcounts(d, division, observed, lineups, generator, options), literal);
  seen.Tailsums += report.Tailsums;
  seen.Tailretries += report.Tailretries;
  Seedgenerator(generator, seed);
  std::int32_t r = 0;
  Runlineups(Pop.Numseqs, lineups, 1, generator, [&](int, std::int32_t, const std::int32_t *order) {
    Lineup lineup{};
    for (std::int32_t p = 1; p <= Pop.Numseqs; ++p) lineup[p] = order[p - 1] + 1;
    const Observed v = Ratios(d, division, lineup, &observed);
    const auto i = static_cast<std::size_t>(r++);
    ASSERT_EQ(Bits(null.Values[Testkst][i]), Bits(v.Kst)) << "lineup " << i;
    ASSERT_EQ(Bits(null.Values[Testfst][i]), Bits(v.Fst)) << "lineup " << i;
    ASSERT_EQ(Bits(null.Values[Testkststar][i]), Bits(v.Kststar)) << "lineup " << i;
    ASSERT_EQ(Bits(null.Values[Testfsbstar][i]), Bits(v.Fsbstar)) << "lineup " << i;
    const Plainexact plain = Plainexactof(d, division, plan, lineup);
    ASSERT_EQ(Bits(null.Values[Testsnn][i]), Bits(plain.Snnvalue)) << "lineup " << i;
    ASSERT_EQ(Bits(null.Values[Testphist][i]), Bits(plain.Phistvalue)) << "lineup " << i;
  });
}

// Generated samples of every shape the engine treats apart: one and thirty
// localities, a large locality derived from the rest (or, the last, summing
// more within it than the shortcut's units hold), samples too large for
// the packed table or needing their records grouped, duplicates and
// localities of identical sequences (ties), differences only by N and gaps.
// Each is compared with the observed division and with the ratios of a random
// lineup as the observed values, which later lineups tie.
TEST(Engine, SameCountsAndValuesAsTheReference) {
  struct Shape {
    int n, sites, ancestors, rarity, localities;
    const char *letters;
    std::int32_t lineups;
    std::vector<std::int32_t> starts = {};  // else random, for `localities`
  };
  const Shape shapes[] = {{4, 5, 2, 3, 1, "AGCT", 40},
                          {4, 5, 2, 3, 2, "AGCT", 40},
                          {25, 30, 3, 8, 1, "AGCT", 40},
                          {41, 60, 4, 12, 2, "AGCT", 60},
                          {60, 25, 5, 6, 30, "AGCT", 40},
                          {37, 45, 6, 7, 5, "AGCTN-", 60},
                          {20, 1, 1, 2, 3, "AG", 60},
                          {48, 30, 2, 0, 4, "AGCT", 60},
                          {24, 6, 1, 3, 3, "N-", 60},
                          {12, 2000, 3, 40, 2, "AGCTN-", 30},
                          {300, 12, 4, 5, 4, "AGCT", 6},
                          {520, 12, 4, 5, 3, "AGCT", 4},
                          {120, 40, 4, 6, 2, "AGCT", 30, {1, 115}}};
  Fastreport seen;
  for (const Shape &s : shapes)
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      std::mt19937 random(seed * 7919 + static_cast<std::uint32_t>(s.n));
      support::Setsequences(Sample(random, s.n, s.sites, s.ancestors, s.rarity, s.letters), s.sites * 3);
      const Distances d = Measuredistances(Pop);
      const Localities division =
          support::Division(s.starts.empty() ? Randomstarts(random, s.n, s.localities) : s.starts, s.n);
      Expectsame(d, division, Ratios(d, division, Identitylineup(s.n), nullptr), s.lineups, seed, seen);
      Lineup shuffled = Identitylineup(s.n);
      std::shuffle(shuffled.begin() + 1, shuffled.begin() + s.n + 1, random);
      Expectsame(d, division, Ratios(d, division, shuffled, nullptr), s.lineups, seed + 1, seen);
    }
  for (const std::vector<std::int32_t> &sizes : {std::vector{2, 2}, {3, 2, 2}, {5, 3}}) {
    std::vector<std::string> codes;
    std::vector<std::int32_t> starts;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
      starts.push_back(static_cast<std::int32_t>(codes.size()) + 1);
      codes.insert(codes.end(), static_cast<std::size_t>(sizes[k]), std::string("AGCT").substr(0, k + 1) + "AAA");
    }
    support::Setsequences(codes, 600);
    const Distances d = Measuredistances(Pop);
    const Localities division = support::Division(starts, static_cast<std::int32_t>(codes.size()));
    for (std::uint32_t seed = 11; seed <= 13; ++seed)
      Expectsame(d, division, Ratios(d, division, Identitylineup(Pop.Numseqs), nullptr), 120, seed, seen);
  }
  // Ties were met, and some were settled only by adding the sums again;
  // many sums between localities ended early, and none needed adding again.
  EXPECT_GT(seen.Exactwithin, 0);
  EXPECT_GT(seen.Exactbetween, 0);
  EXPECT_GT(seen.Tailsums, 1000);
  EXPECT_EQ(seen.Tailretries, 0);
}

// The bounds decide a lineup unless it ties, or nearly ties, with the
// observed values; with one locality K*s' always equals K*t but for the
// order of its sum, so every lineup is added again.
TEST(Engine, ExactSumsOnlyWhereBoundsCannotDecide) {
  std::mt19937 random(3);
  support::Setsequences(Sample(random, 40, 60, 5, 8, "AGCT"), 180);
  const Distances d = Measuredistances(Pop);
  Fastreport report;
  const Localities two = support::Division({1, 21}, 40);
  Seedrandom(1);
  Fastcounts(d, two, Ratios(d, two, Identitylineup(40), nullptr), 200, Generator, {2, &report});
  EXPECT_EQ(report.Lineups, 200);
  EXPECT_LT(report.Exactwithin, 10);
  const Localities one = support::Division({1}, 40);
  Seedrandom(1);
  const Lineupcounts counts =
      Fastcounts(d, one, Ratios(d, one, Identitylineup(40), nullptr), 50, Generator, {2, &report});
  EXPECT_EQ(report.Exactwithin, 50);
  EXPECT_EQ(report.Exactbetween, 0);
  EXPECT_EQ(counts[Testkst], 50);
  EXPECT_EQ(counts[Testfst], 0);
  EXPECT_EQ(counts[Testfsbstar], 0);
}

// The terms of a sum, as the estimators add them, and their images.
struct Terms {
  std::vector<double> Real;
  std::vector<std::int64_t> Images;
  int Shift;
  Terms(std::int32_t maxdiff, std::int64_t limit) {
    for (std::int32_t diff = 0; diff <= maxdiff; ++diff) Real.push_back(std::log(1.0 + diff));
    Shift = Fixedimages(Real, limit, Images);
  }
};

TEST(Sumbounds, EncloseTheSumInEveryOrder) {
  std::mt19937 random(17);
  for (int round = 0; round < 200; ++round) {
    const auto maxdiff = 1 + static_cast<std::int32_t>(random() % 10000);
    const std::int64_t limit = std::int64_t{1} << (10 + random() % 40);
    const Terms logs(maxdiff, limit);
    ASSERT_LE(logs.Images.back(), limit);
    const int terms = 1 + static_cast<int>(random() % 3000);
    std::vector<double> real;
    std::int64_t fixed = 0;
    for (int i = 0; i < terms; ++i) {
      // Many zero and small distances, as in samples of few haplotypes.
      const auto diff = random() % 3 == 0 ? 0 : static_cast<std::size_t>(random() % (maxdiff + 1));
      real.push_back(logs.Real[diff]);
      fixed += logs.Images[diff];
    }
    const Interval bounds = Sumbounds(fixed, Scalefor(terms, logs.Shift));
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
  EXPECT_EQ(Sumbounds(0, Scalefor(0, 30)).Lo, 0.0);
  EXPECT_EQ(Sumbounds(0, Scalefor(0, 30)).Hi, 0.0);
}

TEST(Sumbounds, NarrowAtFullScale) {
  const std::int64_t allpairs = std::int64_t{Maxseqs} * (Maxseqs - 1) / 2;
  const Terms logs(Maxsegsites, ((std::int64_t{1} << 61) - 1) / allpairs);
  EXPECT_GE(logs.Shift, 38);
  // A locality of 500 sequences whose pairs differ at 40 sites: the bounds
  // are as close as the rounding of the sum itself allows.
  const std::int64_t terms = 500 * 499 / 2;
  const Interval bounds = Sumbounds(terms * logs.Images[40], Scalefor(terms, logs.Shift));
  EXPECT_LT((bounds.Hi - bounds.Lo) / (static_cast<double>(terms) * logs.Real[40]), 1e-10);
}

// The bounds step outwards by one double at a time, over every kind of value.
TEST(Sumbounds, UpAndDownStepAsNextafter) {
  constexpr double Inf = std::numeric_limits<double>::infinity();
  for (double x : {0.0, -0.0, std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
                   std::numeric_limits<double>::min(), 1.0, -1.0, 0.1, 1e300, std::numeric_limits<double>::max(),
                   -std::numeric_limits<double>::max(), Inf, -Inf, std::numeric_limits<double>::quiet_NaN()})
    for (const auto &[mine, towards] : {std::pair{Up(x), Inf}, std::pair{Down(x), -Inf}}) {
      const double expected = std::nextafter(x, towards);
      EXPECT_TRUE(std::isnan(expected) ? std::isnan(mine) : Bits(mine) == Bits(expected)) << x << " to " << towards;
    }
}

// Lineups from many blocks of the generator's outputs, and from part of one,
// for sizes with and without rejected outputs, with every width of vectors.
TEST(Draws, SameLineupsAndGeneratorAsScanningEarlierPositions) {
  for (std::int32_t n : {1, 2, 3, 10, 256, 257, 1000})
    for (std::int32_t lineups : {1, 3, 40}) {
      const auto seed = static_cast<std::uint32_t>(n + lineups);
      Seedrandom(seed);
      Getrandom();  // the generator stands inside a block
      std::vector<std::int32_t> literal;
      for (int lineup = 0; lineup < lineups; ++lineup)
        for (std::int32_t i = 0; i < n; ++i) {
          std::int32_t v;
          do v = Rnd(1, n);
          while (std::find(literal.end() - i, literal.end(), v) != literal.end());
          literal.push_back(v);
        }
      const std::uint32_t next = Getrandom();
      for (int vectors : {128, 256, 512}) {
        Seedrandom(seed);
        Getrandom();
        std::vector<std::int32_t> drawn(literal.size());
        auto draws = std::make_unique<Drawstate>();
        Startdraws(*draws, n, Generator, vectors);
        for (int lineup = 0; lineup < lineups; ++lineup) Drawlineup(*draws, drawn.data() + lineup * n);
        Stopdraws(*draws, Generator);
        for (std::int32_t &v : drawn) ++v;
        EXPECT_EQ(drawn, literal) << n << " records, " << lineups << " lineups, " << vectors << "-bit vectors";
        EXPECT_EQ(Getrandom(), next) << n << " records, " << lineups << " lineups";
      }
    }
}

TEST(Runlineups, EveryLineupOnceWhateverTheWorkers) {
  const std::int32_t n = 9;
  for (std::int32_t lineups : {0, 1, 15, 16, 17, 300}) {
    std::vector<std::vector<std::int32_t>> expected;
    Seedrandom(4);
    Runlineups(n, lineups, 1, Generator,
               [&](int, std::int32_t, const std::int32_t *order) { expected.emplace_back(order, order + n); });
    for (int workers : {2, 3, 5}) {
      std::vector<std::vector<std::int32_t>> seen(static_cast<std::size_t>(lineups));
      Seedrandom(4);
      Runlineups(n, lineups, workers, Generator, [&](int, std::int32_t r, const std::int32_t *order) {
        seen[static_cast<std::size_t>(r)].assign(order, order + n);
      });
      EXPECT_EQ(seen, expected) << lineups << " lineups, " << workers << " workers";
    }
  }
}

}  // namespace
}  // namespace halvik
