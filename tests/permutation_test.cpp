#include "stats/permutation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "statsetup.h"
#include "stats/random.h"
#include "stats/subdivision.h"

namespace {

using halvik::Lineupcounts;
using statsetup::Captured;

// An evaluation of the test written apart from the program: distances
// from the letters, the shuffle replayed on a separate MT19937, and every
// sum taken in the same fixed order: pairs a < b, localities i < j.
struct Reference {
  std::vector<std::string> codes;
  std::vector<int> starts;  // first sequence of each locality, then N + 1

  int N() const { return static_cast<int>(codes.size()); }

  double D(const std::vector<int> &lineup, int a, int b) const {
    const std::string &x = codes[static_cast<std::size_t>(lineup[static_cast<std::size_t>(a)] - 1)];
    const std::string &y = codes[static_cast<std::size_t>(lineup[static_cast<std::size_t>(b)] - 1)];
    int d = 0;
    for (std::size_t p = 0; p < x.size(); ++p) d += x[p] != y[p];
    return d;
  }

  struct Ratios {
    double kt, kst, fst, kstart, kstarst, fstarsb;
  };

  // Shuffled lineups are compared against the observed totals, which are not
  // recomputed; the observed lineup gives its own.
  Ratios Evaluate(const std::vector<int> &lineup, const Ratios *observed = nullptr) const {
    double ks = 0.0, kstars = 0.0;
    const int count = static_cast<int>(starts.size()) - 1;
    for (int k = 0; k < count; ++k) {
      const int first = starts[static_cast<std::size_t>(k)], last = starts[static_cast<std::size_t>(k) + 1] - 1;
      double sum = 0.0, logsum = 0.0;
      for (int a = first; a <= last; ++a)
        for (int b = a + 1; b <= last; ++b) {
          sum += D(lineup, a, b);
          logsum += std::log(1.0 + D(lineup, a, b));
        }
      const int m = last - first + 1;
      const double pairs = static_cast<double>(m * (m - 1)) / 2.0;
      const double weight = static_cast<double>(m) / static_cast<double>(N());
      volatile double plain = sum / pairs * weight, logged = logsum / pairs * weight;
      ks += plain;
      kstars += logged;
    }
    double total = 0.0, logtotal = 0.0;
    for (int a = 1; a <= N(); ++a)
      for (int b = a + 1; b <= N(); ++b) {
        total += D(lineup, a, b);
        logtotal += std::log(1.0 + D(lineup, a, b));
      }
    const double allpairs = static_cast<double>(N() * (N() - 1)) / 2.0;
    double between = 0.0, logbetween = 0.0;
    int betweenpairs = 0;
    for (int i = 0; i < count; ++i)
      for (int j = i + 1; j < count; ++j)
        for (int x = starts[static_cast<std::size_t>(i)]; x < starts[static_cast<std::size_t>(i) + 1]; ++x)
          for (int y = starts[static_cast<std::size_t>(j)]; y < starts[static_cast<std::size_t>(j) + 1]; ++y) {
            between += D(lineup, x, y);
            logbetween += std::log(1.0 + D(lineup, x, y));
            ++betweenpairs;
          }
    Ratios r;
    r.kt = observed ? observed->kt : total / allpairs;
    r.kstart = observed ? observed->kstart : logtotal / allpairs;
    r.kst = 1.0 - ks / r.kt;
    r.fst = 1.0 - ks / (between / betweenpairs);
    r.kstarst = 1.0 - kstars / r.kstart;
    r.fstarsb = 1.0 - kstars / (logbetween / betweenpairs);
    return r;
  }

  Lineupcounts Count(std::uint32_t seed, int lineups) const {
    std::mt19937 generator(seed);
    const auto n = static_cast<std::uint64_t>(N());
    auto draw = [&] {
      const std::uint64_t limit = (std::uint64_t{1} << 32) - (std::uint64_t{1} << 32) % n;
      std::uint64_t r;
      do r = generator();
      while (r >= limit);
      return static_cast<int>(1 + r % n);
    };
    std::vector<int> identity(static_cast<std::size_t>(N()) + 1);
    for (int p = 1; p <= N(); ++p) identity[static_cast<std::size_t>(p)] = p;
    const Ratios observed = Evaluate(identity);
    Lineupcounts counts;
    for (int r = 0; r < lineups; ++r) {
      std::vector<int> lineup(static_cast<std::size_t>(N()) + 1, 0);
      for (int i = 1; i <= N(); ++i) {
        int v;
        bool taken;
        do {
          v = draw();
          taken = false;
          for (int j = 1; j < i; ++j) taken = taken || lineup[static_cast<std::size_t>(j)] == v;
        } while (taken);
        lineup[static_cast<std::size_t>(i)] = v;
      }
      const Ratios got = Evaluate(lineup, &observed);
      counts.Kst += got.kst >= observed.kst;
      counts.Fst += got.fst >= observed.fst;
      counts.Kstarst += got.kstarst >= observed.kstarst;
      counts.Fstarsb += got.fstarsb >= observed.fstarsb;
    }
    return counts;
  }
};

struct Tested {
  halvik::Localities division;
  halvik::Observed observed;
};

Tested Prepare(const Reference &reference) {
  statsetup::Setsequences(reference.codes, 1000);
  std::vector<std::int32_t> starts(reference.starts.begin(), reference.starts.end() - 1);
  Tested s;
  s.division = statsetup::Division(starts, reference.N());
  Captured quiet;
  statsetup::Setsequences(reference.codes, 1000);
  s.observed = halvik::Testedvalues(halvik::Subdivisionstats(s.division));
  return s;
}

std::string Plines(const Lineupcounts &c, int lineups, bool tab) {
  std::string text;
  const char *labels[] = {"P(Kst) = ", "P(Fst) = ", "P(K*st) = ", "P(F*st) = "};
  const std::int32_t values[] = {c.Kst, c.Fst, c.Kstarst, c.Fstarsb};
  for (int i = 0; i < 4; ++i) {
    text += labels[i];
    if (tab) text += '\t';
    text += halvik::Realtext(static_cast<double>(values[i]) / lineups, 6) + "\n";
  }
  return text;
}

struct Seeded {
  const char *name;
  Reference reference;
  std::uint32_t seed;
  int lineups;
};

class Seededtest : public ::testing::TestWithParam<Seeded> {};

TEST_P(Seededtest, CountsMatchAnIndependentReplay) {
  const Seeded &c = GetParam();
  const Tested s = Prepare(c.reference);
  const Lineupcounts expected = c.reference.Count(c.seed, c.lineups);
  halvik::Seedrandom(c.seed);
  const Lineupcounts got = halvik::Literalcounts(s.division, s.observed, c.lineups);
  EXPECT_EQ(got.Kst, expected.Kst);
  EXPECT_EQ(got.Fst, expected.Fst);
  EXPECT_EQ(got.Kstarst, expected.Kstarst);
  EXPECT_EQ(got.Fstarsb, expected.Fstarsb);

  // The whole test draws the same lineups and writes only the P lines.
  Captured out(std::to_string(c.lineups) + "\n");
  statsetup::Setsequences(c.reference.codes, 1000);
  halvik::Seedrandom(c.seed);
  halvik::Permutationtest(s.division, s.observed);
  out.Flush();
  EXPECT_EQ(out.console,
            "How many randomized sequence lineups would you like performed? " + Plines(expected, c.lineups, false));
  std::string count = std::to_string(c.lineups);
  EXPECT_EQ(out.results, "Number of randomized sequence lineups:  \t" + std::string(5 - count.size(), ' ') + count +
                             "\n" + Plines(expected, c.lineups, true));
}

const std::vector<std::string> Eight = {"AACGT", "GACGT", "GTCGT", "ATTGA", "CTTGA", "ATCCA", "AAC-A", "NACGA"};
const std::vector<std::string> Twelve = {"AAAAAA", "AAAAAG", "AAAAGG", "AAAGGG", "AAGGGG", "AGGGGG",
                                         "CCCCCC", "CCCCCA", "CCCCAA", "ACCCCC", "AACCCC", "AAACCC"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Seededtest,
    ::testing::Values(Seeded{"ThreeLocalities", {Eight, {1, 4, 7, 9}}, 12345u, 300},
                      Seeded{"TwoLocalities", {Twelve, {1, 7, 13}}, 2024u, 500},
                      Seeded{"ManyTies", {{"A", "A", "G", "G", "A", "G"}, {1, 3, 5, 7}}, 7u, 400},
                      Seeded{"OneLineup", {Eight, {1, 3, 6, 9}}, 99u, 1},
                      Seeded{"DefaultSeed", {Twelve, {1, 3, 5, 7, 9, 11, 13}}, 0u, 50}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Permutation, IdentityLineupReachesAllFourObservedRatios) {
  for (const auto &starts : {std::vector<int>{1, 4, 7, 9}, std::vector<int>{1, 3, 9}}) {
    const Tested s = Prepare(Reference{Eight, starts});
    Lineupcounts counts;
    halvik::Countlineup(s.division, s.observed, halvik::Identitylineup(8), counts);
    EXPECT_EQ(counts, (Lineupcounts{1, 1, 1, 1}));
  }
}

// Every shuffle sums the same whole numbers, so Kst' is exactly the observed
// 0; the logarithms are summed in the shuffled order, so K*st' may differ
// from 0 in its last bits either way.
TEST(Permutation, OneLocalityCountsEveryKstAndNoBetweenRatio) {
  const Reference reference{Eight, {1, 9}};
  const Tested s = Prepare(reference);
  EXPECT_EQ(s.observed.Kst, 0.0);
  halvik::Seedrandom(5);
  const Lineupcounts counts = halvik::Literalcounts(s.division, s.observed, 200);
  EXPECT_EQ(counts.Kst, 200);
  EXPECT_EQ(counts.Fst, 0);
  EXPECT_EQ(counts.Fstarsb, 0);
  EXPECT_EQ(counts.Kstarst, reference.Count(5, 200).Kstarst);
}

TEST(Permutation, OneLineupGivesWholeProportions) {
  const Tested s = Prepare(Reference{Eight, {1, 3, 6, 9}});
  Captured out("1\n");
  statsetup::Setsequences(Eight, 1000);
  halvik::Seedrandom(3);
  halvik::Permutationtest(s.division, s.observed);
  out.Flush();
  for (const char *label : {"P(Kst) = ", "P(Fst) = ", "P(K*st) = ", "P(F*st) = "}) {
    const std::size_t at = out.console.find(label);
    ASSERT_NE(at, std::string::npos);
    const std::string value = out.console.substr(at + std::string(label).size(), 9);
    EXPECT_TRUE(value == "0.000000\n" || value == "1.000000\n") << value;
  }
}

struct Answer {
  const char *name;
  std::string keys;
  std::string messages;
  std::int32_t lineups;
};

class Lineupquestion : public ::testing::TestWithParam<Answer> {};

TEST_P(Lineupquestion, AcceptsOneToTwentyNineThousandNineHundredNinetyNine) {
  const Answer &c = GetParam();
  const Tested s = Prepare(Reference{{"AA", "GA", "GC", "TC"}, {1, 3, 5}});
  Captured out(c.keys);
  statsetup::Setsequences({"AA", "GA", "GC", "TC"}, 1000);
  halvik::Seedrandom(1);
  halvik::Permutationtest(s.division, s.observed);
  out.Flush();
  const std::string question = "How many randomized sequence lineups would you like performed? ";
  ASSERT_EQ(out.console.substr(0, question.size() + c.messages.size()), question + c.messages);
  EXPECT_EQ(out.console.substr(question.size() + c.messages.size(), 9), "P(Kst) = ");
  std::string count = std::to_string(c.lineups);
  EXPECT_EQ(out.results.substr(0, 47), "Number of randomized sequence lineups:  \t" + std::string(5 - count.size(), ' ') +
                                           count + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Lineupquestion,
    ::testing::Values(Answer{"Largest", "29999\n", "", 29999},
                      Answer{"TooLarge", "30000\n12\n", "Please enter a positive number below  30000: ", 12},
                      Answer{"Zero", "0\n1\n", "Please enter a number above      0: ", 1},
                      // The rest of a confirmation line: empty after "y", "es" after "yes".
                      Answer{"EmptyRest", "\n7\n", "", 7},
                      Answer{"RestOfYes", "es\n7\n", "Only positive numbers, please: ", 7}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
