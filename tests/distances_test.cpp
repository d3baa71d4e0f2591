// The difference table and the terms the estimators read, against the
// comparison primitive of two stored sequences.
#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "population/compare.h"
#include "stats/distances.h"
#include "support.h"

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

void Expectsitesdiff(const halvik::Differencetable &table) {
  const std::int32_t n = Pop.Numseqs;
  ASSERT_EQ(table.Size, n);
  for (std::int32_t x = 1; x <= n; ++x)
    for (std::int32_t y = 1; y <= n; ++y)
      ASSERT_EQ(table(x, y), Sitesdiff(Pop.Seqs[x], Pop.Seqs[y], Pop.Numsegsites, Pop.Seqlength)) << x << ", " << y;
}

struct Shape {
  int n, sites;
};

class Difftable : public ::testing::TestWithParam<Shape> {};

// Site counts around the 8-code groups and 64-site words of the planes; codes
// left above the count by an earlier, longer sample are never compared.
TEST_P(Difftable, EqualsSitesdiffForEveryPairWithAndWithoutVectors) {
  const Shape shape = GetParam();
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    support::Setsequences(Sample(seed * 977 + static_cast<std::uint32_t>(shape.sites), shape.n, shape.sites + 9),
                          shape.sites);
    Pop.Numsegsites = shape.sites;
    for (int vectors : {128, 0}) Expectsitesdiff(halvik::Builddifftable(Pop, vectors));
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, Difftable,
                         ::testing::Values(Shape{2, 1}, Shape{3, 7}, Shape{5, 8}, Shape{9, 9}, Shape{17, 63},
                                           Shape{17, 64}, Shape{17, 65}, Shape{40, 130}, Shape{4, 9991}),
                         [](const auto &info) {
                           return std::to_string(info.param.n) + "x" + std::to_string(info.param.sites);
                         });

// Every one of the most sites differs, by N and gap; the terms are the very
// doubles std::log gives, up to the largest distance.
TEST(Distances, LargestDistanceAndItsTerms) {
  support::Setsequences({std::string(halvik::Maxsegsites, 'N'), std::string(halvik::Maxsegsites, '-'),
                         std::string(halvik::Maxsegsites, 'N')},
                        100000);
  const halvik::Distances d = halvik::Measuredistances(Pop);
  EXPECT_EQ(d.D(1, 2), halvik::Maxsegsites);
  EXPECT_EQ(d.D(3, 1), 0);
  ASSERT_EQ(d.Logs.size(), halvik::Maxsegsites + 1u);
  for (int diff = 0; diff <= halvik::Maxsegsites; ++diff)
    ASSERT_EQ(std::bit_cast<std::uint64_t>(d.Logs[diff]), std::bit_cast<std::uint64_t>(std::log(1.0 + diff)));
  EXPECT_EQ(d.Pi(1, 2), static_cast<double>(halvik::Maxsegsites) / 100000.0);
}

}  // namespace
