// The packed code arrays and Stringfromint.
#include "population/store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace halvik {
namespace {

// Bit b of the stream: bytes in order, each from its most significant bit.
template <int Positions>
int Streambit(const Packedcodes<Positions> &a, unsigned b) {
  return a.Bytes[b / 8] >> (7 - b % 8) & 1;
}

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
      if (b >= first && b < first + 3)
        EXPECT_EQ(Streambit(*array, b), code >> (2 - (b - first)) & 1) << "code bit " << b - first;
      else
        ASSERT_EQ(Streambit(*array, b), Streambit(before, b)) << "write at " << position << " changed bit " << b;
    }
  }
}

TEST(Packedcodes, Sitearraytakeseverycodeatitsedgesandstraddles) {
  for (int position : {1, 2, 3, 6, 8, 9, 9999, 10000}) Checkwrite<Maxsegsites>(position);
}

TEST(Packedcodes, Fullarraytakeseverycodeatitsfirstandlastposition) {
  for (int position : {1, 3, 6, 99999, 100000}) Checkwrite<Maxlength>(position);
  EXPECT_EQ(sizeof(Fullarray), 37500u);
  EXPECT_EQ(sizeof(Sitearray), 3750u);
}

TEST(Packedcodes, Codesstraddlingtwobytessplitmostsignificantbitfirst) {
  Sitearray a{};
  Setcode(a, 3, 5);  // 101: the last two bits of byte 0, the first of byte 1
  EXPECT_EQ(a.Bytes[0], 0b00000010);
  EXPECT_EQ(a.Bytes[1], 0b10000000);
  Setcode(a, 6, 3);  // 011: the last bit of byte 1, the first two of byte 2
  EXPECT_EQ(a.Bytes[1], 0b10000000);
  EXPECT_EQ(a.Bytes[2], 0b11000000);
  Setcode(a, 4, 0);
  EXPECT_EQ(Getcode(a, 3), 5);
  EXPECT_EQ(Getcode(a, 6), 3);
}

TEST(Packedcodes, Asequenceofwritesreadsbackasawhole) {
  auto a = std::make_unique<Fullarray>();
  std::mt19937 random(7);
  std::vector<Nucleotidecode> codes(Maxlength + 1);
  for (int p = 1; p <= Maxlength; ++p) Setcode(*a, p, codes[static_cast<std::size_t>(p)] = random() % 6);
  for (int p = Maxlength; p >= 1; --p) ASSERT_EQ(Getcode(*a, p), codes[static_cast<std::size_t>(p)]) << p;
}

struct Numbercase {
  std::int32_t n;
  const char *text;
};

TEST(Stringfromint, Padswithzerostofivedigitsandneverclipsmore) {
  for (const Numbercase &c : {Numbercase{0, "00000"}, {7, "00007"}, {42, "00042"}, {254, "00254"},
                              {1000, "01000"}, {10000, "10000"}, {54321, "54321"}, {99999, "99999"},
                              {100000, "100000"}, {2147483647, "2147483647"}})
    EXPECT_EQ(Stringfromint(c.n), c.text);
}

}  // namespace
}  // namespace halvik
