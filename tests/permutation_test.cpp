// The reference evaluation of the permutation test against a replay written
// apart from the program.
#include "stats/permutation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "stats/subdivision.h"
#include "support.h"

namespace halvik {
namespace {


// An evaluation of the test written apart from the program: distances from
// the letters, the shuffle replayed on a separate MT19937, and every sum taken
// in the same fixed order: pairs a < b, localities i < j.
struct Reference {
  std::vector<std::string> codes;
  std::vector<int> starts;  // first sequence of each locality, then N + 1

  int N() const { return static_cast<int>(codes.size()); }
  // Adds the pair at positions a and b to the sums of their distance d and of
  // log(1 + d), and to the count of pairs.
  void Add(const std::vector<int> &lineup, int a, int b, double &sum, double &logsum, int &pairs) const {
    const std::string &x = codes[lineup[a] - 1], &y = codes[lineup[b] - 1];
    double d = 0;
    for (std::size_t p = 0; p < x.size(); ++p) d += x[p] != y[p];
    sum += d, logsum += std::log(1.0 + d), ++pairs;
  }

  // Kt, Kst, Fst, K*t, K*st, F*st. Shuffled lineups are compared against the
  // observed totals, which are not recomputed.
  std::vector<double> Evaluate(const std::vector<int> &lineup, const std::vector<double> *observed) const {
    double ks = 0, kstars = 0, total = 0, logtotal = 0, between = 0, logbetween = 0;
    int allpairs = 0, betweenpairs = 0;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
      double sum = 0, logsum = 0;
      int pairs = 0;
      for (int a = starts[k]; a < starts[k + 1]; ++a)
        for (int b = a + 1; b < starts[k + 1]; ++b) Add(lineup, a, b, sum, logsum, pairs);
      const double weight = static_cast<double>(starts[k + 1] - starts[k]) / N();
      volatile double plain = sum / pairs * weight, logged = logsum / pairs * weight;  // no fused multiply-add
      ks += plain, kstars += logged;
    }
    for (int a = 1; a <= N(); ++a)
      for (int b = a + 1; b <= N(); ++b) Add(lineup, a, b, total, logtotal, allpairs);
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
      for (std::size_t j = i + 1; j + 1 < starts.size(); ++j)
        for (int x = starts[i]; x < starts[i + 1]; ++x)
          for (int y = starts[j]; y < starts[j + 1]; ++y) Add(lineup, x, y, between, logbetween, betweenpairs);
    const double kt = observed ? (*observed)[0] : total / allpairs;
    const double kstart = observed ? (*observed)[3] : logtotal / allpairs;
    return {kt,     1.0 - ks / kt,         1.0 - ks / (between / betweenpairs),
            kstart, 1.0 - kstars / kstart, 1.0 - kstars / (logbetween / betweenpairs)};
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
    std::vector<int> identity(N() + 1);
    std::iota(identity.begin(), identity.end(), 0);
    const std::vector<double> observed = Evaluate(identity, nullptr);
    Lineupcounts counts;
    for (int r = 0; r < lineups; ++r) {
      std::vector<int> lineup(N() + 1, 0);
      for (int i = 1; i <= N(); ++i) {
        int v;
        do v = draw();
        while (std::find(lineup.begin() + 1, lineup.begin() + i, v) != lineup.begin() + i);
        lineup[i] = v;
      }
      const std::vector<double> got = Evaluate(lineup, &observed);
      counts[Testkst] += got[1] >= observed[1];
      counts[Testfst] += got[2] >= observed[2];
      counts[Testkststar] += got[4] >= observed[4];
      counts[Testfsbstar] += got[5] >= observed[5];
    }
    return counts;
  }
};

struct Seeded {
  Reference reference;
  std::uint32_t seed;
  int lineups;
};

class Seededtest : public ::testing::TestWithParam<Seeded> {};

TEST_P(Seededtest, LiteralCountsMatchAnIndependentReplay) {
  const Seeded &c = GetParam();
  support::Setsequences(c.reference.codes, 1000);
  const Distances distances = Measuredistances(Pop);
  const std::vector<std::int32_t> starts(c.reference.starts.begin(), c.reference.starts.end() - 1);
  const Localities division = support::Division(starts, c.reference.N());
  const Observed observed = Testedvalues(Subdivisionstats(distances, division));
  Mersennetwister generator;
  Seedgenerator(generator, c.seed);
  EXPECT_EQ(Literalcounts(distances, division, observed, c.lineups, generator), c.reference.Count(c.seed, c.lineups));
  // With two or more localities the identity reaches all four observed ratios.
  Lineupcounts identity;
  Countlineup(distances, division, observed, Identitylineup(c.reference.N()), identity);
  EXPECT_EQ(identity, division.Count > 1 ? (Lineupcounts{{1, 1, 1, 1}}) : (Lineupcounts{{1, 0, 1, 0}}));
}

const std::vector<std::string> Eight = {"AACGT", "GACGT", "GTCGT", "ATTGA", "CTTGA", "ATCCA", "AAC-A", "NACGA"};
const std::vector<std::string> Twelve = {"AAAAAA", "AAAAAG", "AAAAGG", "AAAGGG", "AAGGGG", "AGGGGG",
                                         "CCCCCC", "CCCCCA", "CCCCAA", "ACCCCC", "AACCCC", "AAACCC"};

INSTANTIATE_TEST_SUITE_P(
    Samples, Seededtest,
    ::testing::Values(Seeded{{Eight, {1, 4, 7, 9}}, 12345u, 300}, Seeded{{Twelve, {1, 7, 13}}, 2024u, 500},
                      Seeded{{{"A", "A", "G", "G", "A", "G"}, {1, 3, 5, 7}}, 7u, 400},  // many ties
                      Seeded{{Eight, {1, 3, 6, 9}}, 99u, 1},                            // one lineup
                      Seeded{{Twelve, {1, 3, 5, 7, 9, 11, 13}}, 0u, 50},
                      // One locality: every shuffle sums the same whole numbers, so
                      // Kst' is exactly the observed 0; the logarithms are summed in
                      // the shuffled order, so K*st' may differ from 0 either way.
                      Seeded{{Eight, {1, 9}}, 5u, 200}));

}  // namespace
}  // namespace halvik
