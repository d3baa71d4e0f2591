// Ending a sum of non-negative terms early: once it has reached 2^E, the rest
// follows from totals of rounded terms, to the bit, whatever the terms.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <utility>

#include "stats/fast/exact.h"
#include "stats/fast/tail.h"

namespace halvik {
namespace {

// n records whose pairs differ by random values below `values`, each value
// with a random term below `largest` (0 for d = 0, as ln 1).
Distances Randomdistances(std::mt19937 &random, std::int32_t n, int values, double largest) {
  Distances d;
  d.Diffs.Size = n;
  d.Diffs.Cells.assign(static_cast<std::size_t>(n) * n, 0);
  for (std::int32_t x = 0; x < n; ++x)
    for (std::int32_t y = x + 1; y < n; ++y) {
      const auto v = static_cast<std::uint16_t>(random() % static_cast<unsigned>(values));
      d.Diffs.Cells[static_cast<std::size_t>(x) * n + y] = d.Diffs.Cells[static_cast<std::size_t>(y) * n + x] = v;
    }
  std::uniform_real_distribution<double> term(0.0, largest);
  d.Logs.assign(static_cast<std::size_t>(values), 0.0);
  for (std::size_t v = 1; v < d.Logs.size(); ++v) d.Logs[v] = term(random);
  return d;
}

// Every pair's d, in a random order: the first `within` stand for the pairs
// within localities, the rest are summed.
std::vector<std::uint16_t> Shuffledpairs(std::mt19937 &random, const Distances &d) {
  std::vector<std::uint16_t> pairs;
  for (std::int32_t x = 0; x < d.Diffs.Size; ++x)
    for (std::int32_t y = x + 1; y < d.Diffs.Size; ++y)
      pairs.push_back(d.Diffs.Cells[static_cast<std::size_t>(x) * d.Diffs.Size + y]);
  std::shuffle(pairs.begin(), pairs.end(), random);
  return pairs;
}

// The rest of a sum stopped at 2^(E-1) after `stop` terms, found as the
// engine finds it with rows of one pair: back from the last term to the one
// that crosses 2^E, which alone is added in order.
double Climb(const Tailplan &tail, const Distances &d, const std::vector<std::uint16_t> &pairs, std::size_t stop,
             Termpair stopped, std::int64_t withinunits) {
  const std::int64_t base = Climbbase(tail, stopped, withinunits);
  std::int64_t afterlow = 0, afterhigh = 0;
  for (std::size_t q = pairs.size(); base >= 0 && q-- > stop;) {
    afterlow += tail.Units[pairs[q]][0];
    const std::int64_t before = base - afterlow;
    if (before < std::int64_t{1} << 53)
      return Finishclimb(tail, static_cast<double>(before) / tail.Scale + d.Logs[pairs[q]], afterhigh);
    afterhigh += tail.Units[pairs[q]][1];
  }
  return std::nan("");
}

// Sums stopped past 2^E (or 2^(E-1), then climbing back from the end): when
// the plan was made for a sum of their size (`aim` 1), each is finished to the
// bit of the sum added to its end; made for half their size, the sum ends
// past 2^(E+1) and the shortcut refuses; for twice it, the sum never reaches
// 2^E. Sums of random size meet both ways of finishing.
TEST(Tail, FinishesASumToTheBitOrRefuses) {
  struct Case {
    std::int32_t n;
    int values;
    double largest, aim;
    bool finishes;
  };
  const Case cases[] = {{120, 7, 3.0, 1.0, true},
                        {200, 5000, 12.0, 1.0, true},
                        {200, 300, 0.3, 1.0, true},
                        {150, 40, 9.0, 0.5, false},
                        {150, 40, 9.0, 2.0, false}};
  int finished[2] = {};
  for (const Case &c : cases)
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
      std::mt19937 random(seed);
      const Distances d = Randomdistances(random, c.n, c.values, c.largest);
      const std::vector<std::uint16_t> pairs = Shuffledpairs(random, d);
      const std::size_t within = pairs.size() / (5 + random() % 20);
      double whole = 0.0;
      for (std::size_t q = within; q < pairs.size(); ++q) whole += d.Logs[pairs[q]];
      const Tailplan tail = Maketail(d, whole * c.aim);
      if (!tail.Usable) continue;  // a term halfway between two units
      Termpair inside{};
      for (std::size_t q = 0; q < within; ++q) inside += tail.Pairs[pairs[q]];
      const std::int64_t withinunits = Tounits(tail, inside);
      EXPECT_EQ(Endsintail(tail, withinunits), c.finishes) << seed;
      Termpair stopped{};
      std::size_t q = within;
      while (q < pairs.size() && !(stopped[0] >= tail.Reach)) stopped += tail.Pairs[pairs[q++]];
      // The engine stops at the end of a row, a few terms later.
      for (std::size_t more = random() % 40; more > 0 && q < pairs.size(); --more) stopped += tail.Pairs[pairs[q++]];
      const double end =
          tail.Backwards ? Climb(tail, d, pairs, q, stopped, withinunits) : Finishtail(tail, stopped, withinunits);
      if (c.finishes) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(end), std::bit_cast<std::uint64_t>(whole)) << seed;
        ++finished[tail.Backwards];
      } else {
        EXPECT_TRUE(std::isnan(end)) << seed;
      }
    }
  EXPECT_GT(finished[0], 10);
  EXPECT_GT(finished[1], 10);
}

// Sums whose early end fails its checks are added again in order: here the
// plan's 2^(E+1) is forged down to 2^E, so no stopped sum can lie below it.
// Two lanes with the same lineup, so that each lane's retry is seen.
TEST(Tail, AFailedCheckAddsTheSumAgainInOrder) {
  std::mt19937 random(5);
  constexpr std::int32_t n = 80, split = 30;  // localities 1..30 and 31..80
  const Distances d = Randomdistances(random, n, 50, 6.0);
  std::vector<std::uint16_t> lanes(static_cast<std::size_t>(n) * Maxlanes, 0);
  for (std::int32_t p = 1; p <= n; ++p)
    for (std::size_t j = 0; j < 2; ++j)
      lanes[static_cast<std::size_t>(p - 1) * Maxlanes + j] = static_cast<std::uint16_t>(p - 1);
  Starttable start{};
  start[1] = 1, start[2] = split + 1, start[3] = n + 1;
  double ordered = 0.0;
  for (std::int32_t x = 0; x < split; ++x)
    for (std::int32_t y = split; y < n; ++y) ordered += d.Logs[d.Diffs.Cells[static_cast<std::size_t>(x) * n + y]];
  Tailplan tail = Maketail(d, ordered);
  ASSERT_TRUE(tail.Usable);
  const Exactterms terms{d.Diffs.Cells.data(), n, d.Logs.data(), &tail};
  std::int64_t withinunits[2] = {};
  for (int k = 1; k <= 2; ++k) {
    double means[2];
    std::int64_t units[2];
    Withinstars(terms, lanes.data(), 2, start[k], start[k + 1] - 1, means, units);
    for (int j = 0; j < 2; ++j) withinunits[j] += units[j];
  }
  for (const bool forged : {false, true}) {
    if (forged) tail.Limit = tail.Reach;
    double means[2] = {};
    const Earlyends ends = Betweenstars(terms, lanes.data(), 2, start, 2, withinunits, means);
    for (const double mean : means)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(mean), std::bit_cast<std::uint64_t>(ordered / (split * (n - split))));
    EXPECT_EQ(ends.Finished, forged ? 0 : 2);
    EXPECT_EQ(ends.Retried, forged ? 2 : 0);
  }
}

// A term exactly halfway between two units rounds by the sum it is added to:
// present among the pairs, it rules the shortcut out.
TEST(Tail, RefusesTermsHalfwayBetweenUnits) {
  for (const auto &[values, usable] : {std::pair{2, false}, std::pair{3, true}}) {
    Distances d;
    d.Diffs.Size = 2;
    const auto v = static_cast<std::uint16_t>(values - 1);
    d.Diffs.Cells = {0, v, v, 0};
    // For sums near 1000 a unit is 2^-43, and 1 + 2^-44 lies halfway.
    d.Logs = {0.0, 1.0 + 0x1p-44, 2.0};
    EXPECT_EQ(Maketail(d, 1000.0).Usable, usable) << values;
  }
}

}  // namespace
}  // namespace halvik
