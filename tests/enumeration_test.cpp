// Exact P values: every division visited once, against a plain enumeration
// of the permutations of the localities' labels.
#include <gtest/gtest.h>

#include <numeric>

#include "exactsupport.h"
#include "stats/amova.h"
#include "stats/enumeration.h"

namespace halvik {
namespace {

using exact::Kind;

// The counts of the plain enumeration, and its observed values.
struct Reference {
  std::int64_t divisions = 0;
  std::array<std::int64_t, Exactcount> count{};
  std::vector<exact::Real> observed;
};

Reference Enumerated(const Distances &d, const Localities &division) {
  Reference r;
  exact::Labels labels = exact::Labelsof(division);
  r.observed = exact::Ratios(d, labels);
  do {
    ++r.divisions;
    const std::vector<exact::Real> values = exact::Ratios(d, labels);
    for (std::size_t s = 0; s < values.size(); ++s) r.count[s] += exact::Atleast(values[s], r.observed[s]);
  } while (std::next_permutation(labels.begin(), labels.end()));
  return r;
}

struct Shape {
  Kind kind;
  std::vector<int> sizes;
};

// Two to four localities, the largest first, last or between, over every
// kind of sample: the counts of all six, the number of divisions, and the
// observed values.
TEST(Enumeration, MatchesAPlainEnumerationOfLabels) {
  const Shape shapes[] = {{Kind::Ancestors, {2, 2}},       {Kind::Ancestors, {3, 4}},  {Kind::Ancestors, {2, 5, 3}},
                          {Kind::Ancestors, {2, 2, 2, 3}}, {Kind::Identical, {4, 4}},  {Kind::Identical, {3, 3, 3}},
                          {Kind::Table, {5, 2, 2}},        {Kind::Table, {4, 4, 3}},   {Kind::Ratios, {6, 5}},
                          {Kind::Ratios, {2, 3, 7}},       {Kind::Ancestors, {10, 2}}, {Kind::Table, {3, 3, 3, 2}}};
  for (const Shape &shape : shapes)
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      const int n = std::accumulate(shape.sizes.begin(), shape.sizes.end(), 0);
      const Distances d = exact::Make(shape.kind, n, seed);
      const Localities division = exact::Sized(shape.sizes);
      const Reference r = Enumerated(d, division);
      const Exactshares shares = Exactpvalues(d, division, Findneighbours(d));
      EXPECT_EQ(shares.Divisions, r.divisions);
      EXPECT_EQ(Divisioncount(division), r.divisions);
      for (int s = 0; s < Exactcount; ++s) {
        if (std::isnan(r.observed[s])) {
          EXPECT_TRUE(std::isnan(shares.Share[s])) << s;
          continue;
        }
        EXPECT_NEAR(shares.Observed[s], r.observed[s], 1e-12 * std::max<exact::Real>(1, std::fabs(r.observed[s])));
        EXPECT_EQ(shares.Count[s], r.count[s]) << "statistic " << s << " seed " << seed << " of " << n;
        EXPECT_EQ(shares.Share[s], static_cast<double>(r.count[s]) / static_cast<double>(r.divisions));
      }
    }
}

// Twelve sequences, six identical ones in each of two localities: only the
// division and its mirror image reach the observed values.
TEST(Enumeration, StructureIsFound) {
  const Distances d = exact::Make(Kind::Identical, 12, 2);
  const Exactshares shares = Exactpvalues(d, exact::Sized({6, 6}), Findneighbours(d));
  EXPECT_EQ(shares.Divisions, 924);
  EXPECT_EQ(shares.Observed[Exactsnn], 1.0);
  for (int s = 0; s < Exactcount; ++s) EXPECT_EQ(shares.Count[s], 2) << s;
}

// One locality, too many divisions, and every d 0 (Snn alone is defined).
TEST(Enumeration, UndefinedCasesGiveNan) {
  const Distances d = exact::Make(Kind::Ancestors, 24, 1);
  for (const Localities &division : {exact::Sized({24}), exact::Sized({12, 12})}) {
    const Exactshares shares = Exactpvalues(d, division, Findneighbours(d));
    EXPECT_EQ(shares.Divisions, 0);
    for (const double share : shares.Share) EXPECT_TRUE(std::isnan(share));
  }
  const Distances zero = exact::Fromtable(std::vector<std::vector<int>>(7, std::vector<int>(7, 0)));
  const Exactshares shares = Exactpvalues(zero, exact::Sized({3, 4}), Findneighbours(zero));
  for (int s = 0; s < Exactcount; ++s) EXPECT_EQ(std::isnan(shares.Share[s]), s != Exactsnn) << s;
  EXPECT_EQ(shares.Share[Exactsnn], 1.0);
}

// N! / prod n_k!, up to the limit and just past it.
TEST(Enumeration, DivisionCounts) {
  const auto counts = [](const std::vector<std::vector<int>> &shapes) {
    std::vector<std::int64_t> found;
    for (const auto &sizes : shapes) found.push_back(Divisioncount(exact::Sized(sizes)).value_or(-1));
    return found;
  };
  EXPECT_EQ(counts({{998, 2}, {2, 998}, {10, 10}, {14, 3, 3}, {12}, {2, 2, 2}}),
            (std::vector<std::int64_t>{499500, 499500, 184756, 775200, 1, 90}));
  // 1352078, over 10^299, 1627920, 166167000 and 681080400.
  EXPECT_EQ(counts({{11, 12}, {500, 500}, {13, 5, 2}, {997, 3}, {2, 2, 2, 2, 2, 2, 2}}),
            std::vector<std::int64_t>(5, -1));
}

// The three examples with their localities. The stickleback sample's
// 817190 divisions take the plain enumeration seconds: its counts, which it
// gave, are written out. The dolphin sample has too many.
TEST(Enumeration, Examples) {
  const struct {
    const char *file;
    std::vector<std::int32_t> starts;
    std::int32_t n;
    double snn, phist;
  } examples[] = {{"stickleback-orti.txt", {1, 15}, 23, 0.821014, 0.649772},
                  {"cg15644-zimbabwe.txt", {1, 6}, 10, 0.483333, -0.037415},
                  {"dolphin-dloop.txt", {1, 69, 109}, 126, 0.818422, 0.300095}};
  for (const auto &e : examples) {
    const Distances d = exact::Example(e.file);
    const Localities division = support::Division(e.starts, e.n);
    const Neighbours neighbours = Findneighbours(d);
    const std::vector<exact::Real> reference = exact::Ratios(d, exact::Labelsof(division));
    EXPECT_NEAR(Snnof(neighbours, division), e.snn, 5e-7) << e.file;
    EXPECT_NEAR(Snnof(neighbours, division), reference[Exactsnn], 1e-12) << e.file;
    EXPECT_NEAR(Phistof(d, division), e.phist, 5e-7) << e.file;
    EXPECT_NEAR(Phistof(d, division), reference[Exactphist], 1e-12) << e.file;
    const Exactshares shares = Exactpvalues(d, division, neighbours);
    if (e.n == 126) {
      EXPECT_EQ(shares.Divisions, 0);
    } else {
      const std::array<std::int64_t, Exactcount> stickleback{190, 189, 179, 191, 532, 189};
      EXPECT_EQ(shares.Count, e.n == 23 ? stickleback : Enumerated(d, division).count) << e.file;
    }
  }
}

}  // namespace
}  // namespace halvik
