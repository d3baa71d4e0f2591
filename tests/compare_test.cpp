#include "population/compare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "statsetup.h"

namespace {

using halvik::Pop;
using halvik::Sitesdiff;
using halvik::Sitesdiffpernuc;

void Fill(halvik::Sequencerecord &record, const std::string &letters, int from = 1) {
  for (std::size_t p = 0; p < letters.size(); ++p)
    halvik::Setcode(record.Sites, from + static_cast<int>(p), statsetup::Code(letters[p]));
}

struct Pair {
  const char *name;
  std::string x, y;
  std::int32_t count, length;
  double diff;
};

class Comparison : public ::testing::TestWithParam<Pair> {};

TEST_P(Comparison, CountsDifferingCodesBothWays) {
  const Pair &c = GetParam();
  Fill(Pop.Seqs[1], c.x);
  Fill(Pop.Seqs[2], c.y);
  EXPECT_EQ(Sitesdiff(Pop.Seqs[1], Pop.Seqs[2], c.count, c.length), c.diff);
  EXPECT_EQ(Sitesdiff(Pop.Seqs[2], Pop.Seqs[1], c.count, c.length), c.diff);
  EXPECT_EQ(Sitesdiffpernuc(Pop.Seqs[1], Pop.Seqs[2], c.count, c.length), c.diff / c.length);
  EXPECT_EQ(Sitesdiffpernuc(Pop.Seqs[2], Pop.Seqs[1], c.count, c.length), c.diff / c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Comparison,
    ::testing::Values(Pair{"Same", "AGCTN-", "AGCTN-", 6, 100, 0}, Pair{"NoPositions", "AGC", "TTT", 0, 7, 0},
                      Pair{"NegativeCount", "AGC", "TTT", -3, 7, 0},
                      Pair{"EveryPosition", "AAAAAAAAAAAA", "GCTN-GCTN-GC", 12, 600, 12},
                      Pair{"GapAgainstBase", "-", "A", 1, 1, 1}, Pair{"GapAgainstN", "-", "N", 1, 1, 1},
                      Pair{"GapAgainstGap", "-", "-", 1, 1, 0}, Pair{"NAgainstN", "N", "N", 1, 1, 0},
                      // Differences after the given count are not compared.
                      Pair{"BeyondCount", "AAAAAAAAAAAA", "AAAAAAAAAGGG", 9, 50, 0},
                      Pair{"LastOfGroup", "AAAAAAAAA", "AAAAAAATA", 9, 9, 1},
                      Pair{"StraddlingCodes", "AAAAAA", "AATAAT", 6, 3, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Comparison, TwelveOfSixHundredGivesTwoHundredths) {
  Fill(Pop.Seqs[1], "AAAAAAAAAAAA");
  Fill(Pop.Seqs[2], "CCCCCCCCCCCC");
  EXPECT_EQ(Sitesdiff(Pop.Seqs[1], Pop.Seqs[2], 12, 600), 12.0);
  EXPECT_EQ(Sitesdiffpernuc(Pop.Seqs[1], Pop.Seqs[2], 12, 600), 12.0 / 600.0);
}

TEST(Comparison, RecordWithItselfIsZero) {
  Fill(Pop.Seqs[3], "ACGT-NACGT");
  EXPECT_EQ(Sitesdiff(Pop.Seqs[3], Pop.Seqs[3], 10, 10), 0.0);
}

// Every count up to the full record against a position-by-position count, on
// codes that differ in one, two or three of their bits.
TEST(Comparison, AgreesWithPositionByPositionCountAtEveryLength) {
  std::mt19937 generator(11);
  for (int p = 1; p <= halvik::Maxsegsites; ++p) {
    halvik::Setcode(Pop.Seqs[1].Sites, p, static_cast<halvik::Nucleotidecode>(generator() % 6));
    halvik::Setcode(Pop.Seqs[2].Sites, p, static_cast<halvik::Nucleotidecode>(generator() % 6));
  }
  std::int32_t expected = 0;
  for (int count = 0; count <= halvik::Maxsegsites; ++count) {
    if (count > 0 && halvik::Getcode(Pop.Seqs[1].Sites, count) != halvik::Getcode(Pop.Seqs[2].Sites, count))
      ++expected;
    if (count < 40 || count % 997 == 0 || count == halvik::Maxsegsites) {
      ASSERT_EQ(Sitesdiff(Pop.Seqs[1], Pop.Seqs[2], count, 1), static_cast<double>(expected)) << count;
    }
  }
}

}  // namespace
