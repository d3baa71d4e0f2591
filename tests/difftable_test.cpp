#include "population/difftable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "population/compare.h"
#include "stats/estimators.h"
#include "stats/subdivision.h"
#include "statsetup.h"

namespace {

using halvik::Pop;

// Random letters at `sites` positions for `n` sequences, most of them copies
// of a few ancestors so that small and zero distances occur.
std::vector<std::string> Sample(std::uint32_t seed, int n, int sites) {
  std::mt19937 random(seed);
  const std::string letters = "AGCTN-";
  std::vector<std::string> ancestors(3);
  for (std::string &a : ancestors)
    for (int p = 0; p < sites; ++p) a += letters[random() % 4];
  std::vector<std::string> codes;
  for (int i = 0; i < n; ++i) {
    std::string s = ancestors[random() % 3];
    for (char &c : s)
      if (random() % 10 == 0) c = letters[random() % 6];
    codes.push_back(s);
  }
  return codes;
}

void Expectsitesdiff() {
  const std::int32_t n = Pop.Numseqs;
  ASSERT_EQ(halvik::Diffs.Size, n);
  for (std::int32_t x = 1; x <= n; ++x)
    for (std::int32_t y = 1; y <= n; ++y)
      ASSERT_EQ(halvik::Tablediff(x, y), Sitesdiff(Pop.Seqs[x], Pop.Seqs[y], Pop.Numsegsites, Pop.Seqlength))
          << x << ", " << y;
}

struct Shape {
  int n, sites;
};

class Difftable : public ::testing::TestWithParam<Shape> {};

// Site counts around the 8-code groups and 64-site words of the planes.
TEST_P(Difftable, EqualsSitesdiffForEveryPair) {
  const Shape shape = GetParam();
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    statsetup::Setsequences(Sample(seed * 977 + static_cast<std::uint32_t>(shape.sites), shape.n, shape.sites),
                            shape.sites);
    for (int vectors : {128, 0}) {
      halvik::Builddifftable(vectors);
      Expectsitesdiff();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, Difftable,
                         ::testing::Values(Shape{2, 1}, Shape{3, 7}, Shape{5, 8}, Shape{9, 9}, Shape{17, 63},
                                           Shape{17, 64}, Shape{17, 65}, Shape{40, 130}, Shape{4, 9999},
                                           Shape{3, 10000}),
                         [](const auto &info) {
                           return std::to_string(info.param.n) + "x" + std::to_string(info.param.sites);
                         });

TEST(Difftable, SitesAboveTheCountAreNotCompared) {
  statsetup::Setsequences({"AAAAAAAAAAAAAAAAAAAA", "AAAAAAAAAAAAAAAAAAAA", "GAAAAAAAAAAAAAAAAAAA"}, 100);
  // Codes left over from an earlier, longer sample.
  for (int p = 11; p <= 20; ++p) halvik::Setcode(Pop.Seqs[2].Sites, p, 5);
  Pop.Numsegsites = 10;
  halvik::Builddifftable();
  EXPECT_EQ(halvik::Tablediff(1, 2), 0);
  EXPECT_EQ(halvik::Tablediff(1, 3), 1);
  EXPECT_EQ(halvik::Tablediff(2, 3), 1);
}

TEST(Difftable, NAndGapDifferFromEverythingButThemselves) {
  statsetup::Setsequences({"N-", "N-", "-N", "AA"}, 2);
  halvik::Builddifftable();
  EXPECT_EQ(halvik::Tablediff(1, 2), 0);
  EXPECT_EQ(halvik::Tablediff(1, 3), 2);
  EXPECT_EQ(halvik::Tablediff(3, 4), 2);
  EXPECT_EQ(halvik::Tablediff(4, 4), 0);
}

TEST(Difftable, EveryOneOfTheMostSitesDiffers) {
  statsetup::Setsequences({std::string(halvik::Maxsegsites, 'A'), std::string(halvik::Maxsegsites, '-')}, 100000);
  halvik::Builddifftable();
  EXPECT_EQ(halvik::Tablediff(1, 2), halvik::Maxsegsites);
  EXPECT_EQ(halvik::Tablediff(2, 1), halvik::Maxsegsites);
}

TEST(Difftable, SmallerSampleAfterLargerOneUsesItsOwnRows) {
  statsetup::Setsequences(Sample(5, 30, 50), 50);
  halvik::Builddifftable();
  statsetup::Setsequences(Sample(6, 7, 20), 20);
  halvik::Builddifftable();
  Expectsitesdiff();
}

TEST(Difftablescope, CurrentOnlyWhileItLives) {
  statsetup::Setsequences(Sample(7, 12, 40), 40);
  EXPECT_FALSE(halvik::Difftablecurrent());
  {
    const halvik::Difftablescope table;
    EXPECT_TRUE(halvik::Difftablecurrent());
    Expectsitesdiff();
  }
  EXPECT_FALSE(halvik::Difftablecurrent());
  try {
    const halvik::Difftablescope table;
    throw 1;
  } catch (int) {
  }
  EXPECT_FALSE(halvik::Difftablecurrent());
}

// The estimators read the table while it is current and give the very
// values of their comparisons of sites.
TEST(Difftablescope, EstimatorsGiveTheSameValues) {
  statsetup::Setsequences(Sample(8, 30, 70), 90);
  const halvik::Localities division = statsetup::Division({1, 9, 20}, 30);
  halvik::Lineup lineup = halvik::Identitylineup(30);
  std::reverse(lineup.begin() + 1, lineup.begin() + 31);
  using Estimates = std::vector<double>;
  auto all = [&] {
    return Estimates{halvik::Kj(3, 27, lineup, false),      halvik::Kjstar(3, 27, lineup, false),
                     halvik::Piij(3, 27, lineup, false),    halvik::Fbetween(division.Start, 3, lineup),
                     halvik::Fbetweenstar(division.Start, 3, lineup)};
  };
  const Estimates compared = all();
  const halvik::Difftablescope table;
  const Estimates looked = all();
  for (std::size_t i = 0; i < compared.size(); ++i) EXPECT_EQ(looked[i], compared[i]) << i;
}

}  // namespace
