// Snn: the nearest neighbours, the statistic and its exact comparison against
// a brute-force recomputation, on samples of many shapes.
#include <gtest/gtest.h>

#include <numeric>

#include "exactsupport.h"
#include "stats/neighbours.h"

namespace halvik {
namespace {

using exact::Kind;

struct Shape {
  Kind kind;
  int n;
  std::vector<int> sizes;
};

const Shape Shapes[] = {{Kind::Ancestors, 9, {4, 5}},   {Kind::Ancestors, 17, {5, 2, 6, 4}},
                        {Kind::Identical, 12, {6, 6}},  {Kind::Identical, 10, {3, 3, 4}},
                        {Kind::Table, 11, {2, 5, 4}},   {Kind::Ratios, 14, {7, 7}},
                        {Kind::Ratios, 23, {9, 3, 11}}, {Kind::Table, 40, {10, 10, 10, 10}}};

// The division a random lineup makes of the shape's sizes: labels and places.
struct Drawn {
  exact::Labels labels;
  std::vector<std::int32_t> place;
};

Drawn Draw(const Localities &division, std::int32_t n, std::mt19937 &random) {
  Lineup lineup = Identitylineup(n);
  std::shuffle(lineup.begin() + 1, lineup.begin() + n + 1, random);
  Drawn drawn{exact::Labels(static_cast<std::size_t>(n)), std::vector<std::int32_t>(static_cast<std::size_t>(n) + 1)};
  Placesof(division, lineup, drawn.place.data());
  for (std::int32_t r = 1; r <= n; ++r) drawn.labels[static_cast<std::size_t>(r) - 1] = drawn.place[r];
  return drawn;
}

std::vector<Wide> Sums(const Neighbours &neighbours, const Drawn &drawn) {
  std::vector<Wide> sums(neighbours.Classes());
  Snnsums(neighbours, drawn.place.data(), sums.data());
  return sums;
}

// Every record's neighbours, and each class's T, as a brute-force search finds them.
TEST(Snn, NeighbourListsMatchABruteForceSearch) {
  for (const Shape &shape : Shapes) {
    const Distances d = exact::Make(shape.kind, shape.n, 7);
    const Neighbours found = Findneighbours(d);
    std::vector<std::vector<int>> lists(static_cast<std::size_t>(shape.n) + 1);
    std::size_t at = 0;
    for (std::size_t c = 0; c < found.Classes(); ++c)
      for (; at < found.Classend[c]; ++at) {
        const int i = found.Pairs[2 * at];
        lists[i].push_back(found.Pairs[2 * at + 1]);
        EXPECT_EQ(found.Classof[i], static_cast<int>(c));
      }
    EXPECT_TRUE(std::is_sorted(found.Ties.begin(), found.Ties.end()));
    for (int i = 1; i <= shape.n; ++i) {
      std::vector<int> nearest;
      for (int j = 1; j <= shape.n; ++j) {
        if (j == i) continue;
        if (!nearest.empty() && d.D(i, j) < d.D(i, nearest[0])) nearest.clear();
        if (nearest.empty() || d.D(i, j) == d.D(i, nearest[0])) nearest.push_back(j);
      }
      EXPECT_EQ(lists[i], nearest) << "record " << i;
      EXPECT_EQ(found.Ties[static_cast<std::size_t>(found.Classof[i])], static_cast<int>(nearest.size()));
    }
  }
}

// Snn of the file order and of random lineups, and their exact comparison,
// against the recomputation; a relabelling of equal sizes ties exactly.
TEST(Snn, MatchesABruteForceReference) {
  for (const Shape &shape : Shapes) {
    const Distances d = exact::Make(shape.kind, shape.n, 11);
    const Neighbours neighbours = Findneighbours(d);
    const Localities division = exact::Sized(shape.sizes);
    EXPECT_NEAR(Snnof(neighbours, division), exact::Snn(d, exact::Labelsof(division)), 1e-12);
    std::mt19937 random(shape.n);
    for (int draw = 0; draw < 40; ++draw) {
      const Drawn a = Draw(division, shape.n, random), b = Draw(division, shape.n, random);
      const std::vector<Wide> sa = Sums(neighbours, a), sb = Sums(neighbours, b);
      const exact::Real ra = exact::Snn(d, a.labels), rb = exact::Snn(d, b.labels);
      ASSERT_NEAR(Snnvalue(neighbours, sa.data()), ra, 1e-12);
      EXPECT_EQ(Snnatleast(neighbours, sa.data(), sb.data()), exact::Atleast(ra, rb));
      EXPECT_EQ(Snnatleast(neighbours, sb.data(), sa.data()), exact::Atleast(rb, ra));
      Drawn swapped = a;  // localities 1 and 2 traded: the same Snn when their sizes agree
      for (std::int32_t &p : swapped.place) p = p == 1 ? 2 : p == 2 ? 1 : p;
      if (shape.sizes[0] == shape.sizes[1]) {
        const std::vector<Wide> ss = Sums(neighbours, swapped);
        EXPECT_TRUE(Snnatleast(neighbours, ss.data(), sa.data()) && Snnatleast(neighbours, sa.data(), ss.data()));
      }
    }
  }
}

// Twelve sequences, six identical ones in each of two localities: every
// record's neighbours are its own locality's.
TEST(Snn, IdenticalLocalitiesGiveOne) {
  const Distances d = exact::Make(Kind::Identical, 12, 2);
  EXPECT_EQ(Snnof(Findneighbours(d), exact::Sized({6, 6})), 1.0);
  EXPECT_TRUE(std::isnan(Snnof(Findneighbours(d), exact::Sized({12}))));
}

// A published analysis of the stickleback sample gives 0.82101.
TEST(Snn, SticklebackExample) {
  const Distances d = exact::Example("stickleback-orti.txt");
  EXPECT_NEAR(Snnof(Findneighbours(d), support::Division({1, 15}, 23)), 0.82101, 0.000005);
}

// Neighbour counts 1 to 48, whose common multiple passes 2^62: records a_i
// = 2i - 1 and b_j = 2j meet at d = 1 when j <= i (a half graph: a_i has i
// neighbours, b_j has 49 - j), all others at 2. Sums are decided in words.
TEST(Snn, ManyNeighbourCountsCompareExactly) {
  const int n = 96;
  std::vector<std::vector<int>> table(n, std::vector<int>(n, 2));
  for (int x = 0; x < n; ++x) table[x][x] = 0;
  for (int i = 1; i <= n / 2; ++i)
    for (int j = 1; j <= i; ++j) table[2 * i - 2][2 * j - 1] = table[2 * j - 1][2 * i - 2] = 1;
  const Distances d = exact::Fromtable(table);
  const Neighbours neighbours = Findneighbours(d);
  ASSERT_EQ(neighbours.Classes(), 48u);
  EXPECT_GT(neighbours.Plan.Words, 1);
  const Localities division = exact::Sized({48, 48});
  std::mt19937 random(5);
  for (int draw = 0; draw < 30; ++draw) {
    const Drawn a = Draw(division, n, random), b = Draw(division, n, random);
    const std::vector<Wide> sa = Sums(neighbours, a), sb = Sums(neighbours, b);
    const exact::Real ra = exact::Snn(d, a.labels), rb = exact::Snn(d, b.labels);
    ASSERT_NEAR(Snnvalue(neighbours, sa.data()), ra, 1e-12);
    if (std::fabs(ra - rb) > 1e-15) {
      EXPECT_EQ(Snnatleast(neighbours, sa.data(), sb.data()), ra > rb);
    }
    EXPECT_TRUE(Snnatleast(neighbours, sa.data(), sa.data()));
    // T_c more shared neighbours in class c, or T_e more in class e: one
    // more record's worth each, the same Snn; then 1 more in c: above.
    const std::size_t c = static_cast<std::size_t>(draw) % 24, e = 47 - c;
    std::vector<Wide> up = sa, other = sa;
    up[c] += neighbours.Ties[c];
    other[e] += neighbours.Ties[e];
    EXPECT_TRUE(Snnatleast(neighbours, up.data(), other.data()) && Snnatleast(neighbours, other.data(), up.data()));
    up[c] += 1;
    EXPECT_TRUE(Snnatleast(neighbours, up.data(), other.data()));
    EXPECT_FALSE(Snnatleast(neighbours, other.data(), up.data()));
  }
}

}  // namespace
}  // namespace halvik
