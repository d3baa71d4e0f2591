#include "stats/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace halvik {
namespace {

TEST(Generator, FollowsThePublishedSequence) {
  Seedrandom(0);  // stands for 5489
  EXPECT_EQ(Getrandom(), 3499211612u);
  EXPECT_EQ(Getrandom(), 581869302u);
  for (int i = 3; i < 10000; ++i) Getrandom();
  EXPECT_EQ(Getrandom(), 4123659995u);  // the 10000th output
}

TEST(Randint, DrawsNothingForCountsBelowTwo) {
  Seedrandom(77);
  const std::uint32_t first = Getrandom();
  Seedrandom(77);
  EXPECT_EQ(Randint(0), 0u);
  EXPECT_EQ(Randint(1), 0u);
  EXPECT_EQ(Getrandom(), first);
}

TEST(Randint, RejectsOutputsAboveTheLargestMultiple) {
  std::vector<std::uint32_t> outputs = {0xFFFFFFFFu, 0xFFFFFFFEu, 7u};
  std::size_t used = 0;
  auto draw = [&] { return outputs[used++]; };
  EXPECT_EQ(Randintwith(3, draw), 2u);  // 2^32 - 1 is refused, 2^32 - 2 taken
  EXPECT_EQ(used, 2u);
  EXPECT_EQ(Randintwith(3, draw), 1u);
}

}  // namespace
}  // namespace halvik
