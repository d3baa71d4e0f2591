// The packed code arrays, their comparison, and Stringfromint.
#include "store/store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>

#include "population/compare.h"

namespace halvik {
namespace {

// Bit b of the stream: bytes in order, each from its most significant bit.
template <int Positions>
int Streambit(const Packedcodes<Positions> &a, unsigned b) {
  return a.Bytes[b / 8] >> (7 - b % 8) & 1;
}

// Each code written at the position reads back, and the write changes its own
// three bits of the stream and nothing else.
template <int Positions>
void Checkwrite(int position) {
  auto array = std::make_unique<Packedcodes<Positions>>();
  std::mt19937 random(static_cast<unsigned>(position));
  for (auto &byte : array->Bytes) byte = static_cast<std::uint8_t>(random());
  for (Nucleotidecode code = 0; code <= 5; ++code) {
    const auto before = *array;
    Setcode(*array, position, code);
    EXPECT_EQ(Getcode(*array, position), code) << "position " << position;
    const unsigned first = 3u * static_cast<unsigned>(position - 1);
    for (unsigned b = 0; b < 8u * sizeof array->Bytes; ++b) {
      const int expected = b >= first && b < first + 3 ? code >> (2 - (b - first)) & 1 : Streambit(before, b);
      ASSERT_EQ(Streambit(*array, b), expected) << "write at " << position << " bit " << b;
    }
  }
}

TEST(Packedcodes, EveryCodeAtTheFirstLastAndStraddlingPositions) {
  for (int position : {1, 2, 3, 6, 8, 9, 9999, 10000}) Checkwrite<Maxsegsites>(position);
  for (int position : {1, 3, 6, 99999, 100000}) Checkwrite<Maxlength>(position);
  EXPECT_EQ(sizeof(Fullarray), 37500u);
  EXPECT_EQ(sizeof(Sitearray), 3750u);
}

// Every count up to the full record against a position-by-position count, on
// codes that differ in one, two or three of their bits.
TEST(Comparison, AgreesWithAPositionByPositionCountAtEveryLength) {
  std::mt19937 generator(11);
  for (int p = 1; p <= Maxsegsites; ++p) {
    Setcode(Pop.Seqs[1].Sites, p, static_cast<Nucleotidecode>(generator() % 6));
    Setcode(Pop.Seqs[2].Sites, p, static_cast<Nucleotidecode>(generator() % 6));
  }
  std::int32_t expected = 0;
  for (int count = 0; count <= Maxsegsites; ++count) {
    if (count > 0 && Getcode(Pop.Seqs[1].Sites, count) != Getcode(Pop.Seqs[2].Sites, count)) ++expected;
    if (count < 40 || count % 997 == 0 || count == Maxsegsites) {
      ASSERT_EQ(Sitesdiff(Pop.Seqs[1], Pop.Seqs[2], count, 1), expected) << count;
      ASSERT_EQ(Sitesdiff(Pop.Seqs[2], Pop.Seqs[1], count, 1), expected) << count;
    }
  }
}

TEST(Stringfromint, PadsWithZerosToFiveDigitsAndNeverClipsMore) {
  for (const auto &[n, text] : {std::pair<std::int32_t, const char *>{0, "00000"},
                                {42, "00042"},
                                {1000, "01000"},
                                {99999, "99999"},
                                {100000, "100000"},
                                {2147483647, "2147483647"}})
    EXPECT_EQ(Stringfromint(n), text);
}

}  // namespace
}  // namespace halvik
