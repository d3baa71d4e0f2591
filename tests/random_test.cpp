#include "stats/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace halvik {
namespace {

TEST(Generator, Followsthepublishedsequence) {
  Seedrandom(5489);
  EXPECT_EQ(Getrandom(), 3499211612u);
  EXPECT_EQ(Getrandom(), 581869302u);
  for (int i = 3; i < 10000; ++i) Getrandom();
  EXPECT_EQ(Getrandom(), 4123659995u);  // the 10000th output
}

TEST(Generator, Seedzerostandsfor5489) {
  Seedrandom(0);
  EXPECT_EQ(Getrandom(), 3499211612u);
}

TEST(Randint, Drawsnothingforcountsbelowtwo) {
  Seedrandom(77);
  const std::uint32_t first = Getrandom();
  Seedrandom(77);
  EXPECT_EQ(Randint(0), 0u);
  EXPECT_EQ(Randint(1), 0u);
  EXPECT_EQ(Getrandom(), first);
}

TEST(Randint, Takesthefirstoutputforpowersoftwo) {
  Seedrandom(12345);
  const std::uint32_t a = Getrandom(), b = Getrandom();
  Seedrandom(12345);
  EXPECT_EQ(Randint(2), a % 2);
  EXPECT_EQ(Randint(1024), b % 1024);
}

TEST(Randint, Rejectsoutputsabovethelargestmultiple) {
  std::vector<std::uint32_t> outputs = {0xFFFFFFFFu, 7u};
  std::size_t used = 0;
  auto draw = [&] { return outputs[used++]; };
  EXPECT_EQ(Randintwith(3, draw), 1u);  // 2^32 - 1 is refused, 7 mod 3 taken
  EXPECT_EQ(used, 2u);
  outputs = {0xFFFFFFFEu};
  used = 0;
  EXPECT_EQ(Randintwith(3, draw), 0xFFFFFFFEu % 3);
  EXPECT_EQ(used, 1u);
}

TEST(Rnd, Staysinrangeandaddsthelowerbound) {
  Seedrandom(99);
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t v = Rnd(3, 9);
    ASSERT_GE(v, 3);
    ASSERT_LE(v, 9);
  }
  EXPECT_EQ(Rnd(5, 5), 5);
}

TEST(Randomize, Seedsfromthefixedseedwhentestssetone) {
  Fixedseed = 5489;
  Randomize();
  EXPECT_EQ(Getrandom(), 3499211612u);
  Fixedseed.reset();
}

}  // namespace
}  // namespace halvik
