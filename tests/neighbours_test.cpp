// Snn: the nearest neighbours, the statistic and its exact comparison against
// a brute-force recomputation, on samples of many shapes.
#include <gtest/gtest.h>

#include <numeric>

#include "exactsupport.h"
#include "stats/neighbours.h"

namespace halvik {
namespace {

using exact::Kind;

// Neighbour counts 1 to 48, whose common multiple passes 2^62: records a_i
// = 2i - 1 and b_j = 2j meet at d = 1 when j <= i (a half graph: a_i has i
// neighbours, b_j has 49 - j), all others at 2.
Distances Halfgraph() {
  const int n = 96;
  std::vector<std::vector<int>> table(n, std::vector<int>(n, 2));
  for (int x = 0; x < n; ++x) table[x][x] = 0;
  for (int i = 1; i <= n / 2; ++i)
    for (int j = 1; j <= i; ++j) table[2 * i - 2][2 * j - 1] = table[2 * j - 1][2 * i - 2] = 1;
  return exact::Fromtable(table);
}

struct Shape {
  Kind kind;
  std::vector<int> sizes;
  bool halfgraph = false;
};

const Shape Shapes[] = {{Kind::Ancestors, {4, 5}},    {Kind::Ancestors, {5, 2, 6, 4}}, {Kind::Identical, {6, 6}},
                        {Kind::Identical, {3, 3, 4}}, {Kind::Table, {2, 5, 4}},        {Kind::Ratios, {7, 7}},
                        {Kind::Ratios, {9, 3, 11}},   {Kind::Table, {10, 10, 10, 10}}, {Kind::Table, {48, 48}, true}};

// The places and labels of the division a random lineup makes.
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

// Snn of the file order and of random lineups, and the exact order of every
// two, against the recomputation. Sums moved by one record's worth between
// two classes tie exactly; one neighbour more decides.
TEST(Snn, MatchesABruteForceReference) {
  for (const Shape &shape : Shapes) {
    const int n = std::accumulate(shape.sizes.begin(), shape.sizes.end(), 0);
    const Distances d = shape.halfgraph ? Halfgraph() : exact::Make(shape.kind, n, 11);
    const Neighbours neighbours = Findneighbours(d);
    const std::size_t classes = neighbours.Classes();
    EXPECT_EQ(shape.halfgraph, neighbours.Plan.Words > 1 && classes == 48);
    const Localities division = exact::Sized(shape.sizes);
    EXPECT_NEAR(Snnof(neighbours, division), exact::Snn(d, exact::Labelsof(division)), 1e-12);
    std::mt19937 random(static_cast<std::uint32_t>(n));
    for (std::size_t draw = 0; draw < 40; ++draw) {
      const Drawn a = Draw(division, n, random), b = Draw(division, n, random);
      std::vector<Wide> sa(classes), sb(classes);
      Snnsums(neighbours, a.place.data(), sa.data());
      Snnsums(neighbours, b.place.data(), sb.data());
      const exact::Real ra = exact::Snn(d, a.labels), rb = exact::Snn(d, b.labels);
      ASSERT_NEAR(Snnvalue(neighbours, sa.data()), ra, 1e-12);
      EXPECT_EQ(Snnatleast(neighbours, sa.data(), sb.data()), exact::Atleast(ra, rb));
      EXPECT_EQ(Snnatleast(neighbours, sb.data(), sa.data()), exact::Atleast(rb, ra));
      const std::size_t c = draw % classes, e = classes - 1 - c;
      if (c == e) continue;
      std::vector<Wide> up = sa, other = sa;
      up[c] += neighbours.Ties[c];
      other[e] += neighbours.Ties[e];
      EXPECT_TRUE(Snnatleast(neighbours, up.data(), other.data()) && Snnatleast(neighbours, other.data(), up.data()));
      up[c] += 1;
      EXPECT_TRUE(Snnatleast(neighbours, up.data(), other.data()));
      EXPECT_FALSE(Snnatleast(neighbours, other.data(), up.data()));
    }
  }
}

// Twelve sequences, six identical ones in each of two localities: every
// record's neighbours are its own locality's. One locality has no Snn, and
// a lone record no neighbours.
TEST(Snn, IdenticalLocalitiesGiveOne) {
  const Distances d = exact::Make(Kind::Identical, 12, 2);
  EXPECT_EQ(Snnof(Findneighbours(d), exact::Sized({6, 6})), 1.0);
  EXPECT_TRUE(std::isnan(Snnof(Findneighbours(d), exact::Sized({12}))));
  EXPECT_EQ(Findneighbours(exact::Fromtable({{0}})).Classes(), 0u);
}

// A published analysis of the stickleback sample gives 0.82101.
TEST(Snn, SticklebackExample) {
  const Distances d = exact::Example("stickleback-orti.txt");
  EXPECT_NEAR(Snnof(Findneighbours(d), support::Division({1, 15}, 23)), 0.82101, 0.000005);
}

}  // namespace
}  // namespace halvik
