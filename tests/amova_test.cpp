// ΦST: the statistic against its formula in long double, and the exact
// comparison of within sums, at sizes whose common multiple passes 128 bits.
#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

#include "exactsupport.h"
#include "stats/amova.h"

namespace halvik {
namespace {

using exact::Kind;

// The within sums of the division `labels`, in units, by locality from 1.
std::array<Wide, Maxlocalities + 1> Within(const Distances &d, const exact::Labels &labels) {
  std::array<Wide, Maxlocalities + 1> within{};
  const int n = static_cast<int>(labels.size());
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j)
      if (labels[i - 1] == labels[j - 1]) within[static_cast<std::size_t>(labels[i - 1])] += d.Units(i, j);
  return within;
}

struct Shape {
  Kind kind;
  std::vector<int> sizes;
};

// ΦST of the file order and of shuffled labels, and the order of every two,
// against the formula; the file order through Phistof.
TEST(Phist, MatchesTheFormulaInLongDouble) {
  const Shape shapes[] = {{Kind::Ancestors, {4, 5}},    {Kind::Ancestors, {5, 2, 6, 4}},
                          {Kind::Identical, {3, 3, 4}}, {Kind::Table, {2, 5, 4}},
                          {Kind::Table, {3, 3, 3, 3}},  {Kind::Ratios, {7, 7}},
                          {Kind::Ratios, {9, 3, 11}},   {Kind::Ancestors, {2, 2, 2, 2, 2, 2, 3}}};
  for (const Shape &shape : shapes) {
    const int n = std::accumulate(shape.sizes.begin(), shape.sizes.end(), 0);
    const Distances d = exact::Make(shape.kind, n, 3);
    const Localities division = exact::Sized(shape.sizes);
    exact::Labels a = exact::Labelsof(division), b = a;
    EXPECT_NEAR(Phistof(d, division), exact::Ratios(d, a)[5], 1e-12);
    const Amovasums sums = Amovasumsof(d, division);
    EXPECT_EQ(sums.Within, Within(d, a));
    const Phistplan plan = Planphist(division, sums.Total, d.Unitshift());
    std::mt19937 random(static_cast<std::uint32_t>(n));
    for (int draw = 0; draw < 40; ++draw) {
      std::shuffle(a.begin(), a.end(), random);
      std::shuffle(b.begin(), b.end(), random);
      const auto wa = Within(d, a), wb = Within(d, b);
      const exact::Real ra = exact::Ratios(d, a)[5], rb = exact::Ratios(d, b)[5];
      ASSERT_NEAR(Phistvalue(plan, wa.data()), ra, 1e-12 * std::max<exact::Real>(1, std::fabs(ra)));
      EXPECT_EQ(Phistatleast(plan, wa.data(), wb.data()), exact::Atleast(ra, rb)) << ra << " " << rb;
      EXPECT_TRUE(Phistatleast(plan, wa.data(), wa.data()));
    }
  }
}

// The stickleback example; one locality, and every d 0, are NaN and never count.
TEST(Phist, ExampleAndUndefinedCases) {
  EXPECT_NEAR(Phistof(exact::Example("stickleback-orti.txt"), support::Division({1, 15}, 23)), 0.649772, 5e-7);
  const Distances d = exact::Make(Kind::Ancestors, 8, 1);
  const Localities one = exact::Sized({8});
  EXPECT_TRUE(std::isnan(Phistof(d, one)));
  const Amovasums whole = Amovasumsof(d, one);
  EXPECT_FALSE(Phistatleast(Planphist(one, whole.Total, 0), whole.Within.data(), whole.Within.data()));
  const Distances zero = exact::Fromtable(std::vector<std::vector<int>>(6, std::vector<int>(6, 0)));
  const Localities halves = exact::Sized({3, 3});
  EXPECT_TRUE(std::isnan(Phistof(zero, halves)));
  const Phistplan plan = Planphist(halves, 0, 0);
  const std::array<Wide, Maxlocalities + 1> none{};
  EXPECT_EQ(Varianceside(plan, none.data()), 0);
  EXPECT_FALSE(Phistatleast(plan, none.data(), none.data()));
}

// Non-metric d can make σ²_A + σ²_W negative: locality 1's pair at 10, the
// pairs of locality 2 at 1, every pair between at 0. ΦST then exceeds 1 and
// still falls as SSD_W grows.
TEST(Phist, PastThePoleOrdersExactly) {
  std::vector<std::vector<int>> table(6, std::vector<int>(6, 0));
  table[0][1] = table[1][0] = 10;
  for (int x = 2; x < 6; ++x)
    for (int y = 2; y < 6; ++y) table[x][y] = x == y ? 0 : 1;
  const Distances d = exact::Fromtable(table);
  const Localities division = exact::Sized({2, 4});
  const Phistplan plan = Planphist(division, Amovasumsof(d, division).Total, 0);
  std::vector<exact::Labels> all;
  exact::Labels labels = exact::Labelsof(division);
  do all.push_back(labels);
  while (std::next_permutation(labels.begin(), labels.end()));
  int past = 0;
  for (const auto &a : all) {
    const auto wa = Within(d, a);
    const exact::Real ra = exact::Ratios(d, a)[5];
    past += Varianceside(plan, wa.data()) < 0;
    EXPECT_EQ(Varianceside(plan, wa.data()) < 0, ra > 1) << ra;
    for (const auto &b : all) {
      const auto wb = Within(d, b);
      EXPECT_EQ(Phistatleast(plan, wa.data(), wb.data()), exact::Atleast(ra, exact::Ratios(d, b)[5]));
    }
  }
  EXPECT_GT(past, 0);
}

// sum_k W_k / n_k against sum_k O_k / n_k where floating point cannot tell:
// sums near 2^100, and thirty sizes (primes up to 997, or repeated sizes)
// whose common multiple passes 2^128. W differs from O by n_a x in one
// locality and -n_b x in another: a tie; one unit more or less decides.
TEST(Phistexact, WithinSumsCompareExactlyAtTheEdges) {
  const std::vector<int> primes = {997, 991, 983, 977, 971, 967, 953, 947, 941, 937, 929, 919, 911, 907, 887,
                                   883, 881, 877, 863, 859, 857, 853, 839, 829, 827, 823, 821, 811, 809, 797};
  const std::vector<std::vector<int>> cases = {primes, {2, 3}, {5, 5, 7, 7, 7, 11}, std::vector<int>(30, 997)};
  std::mt19937_64 random(17);
  for (const auto &sizes : cases) {
    const Localities division = exact::Sized(sizes);
    const Phistplan plan = Planphist(division, Wide{1} << 100, 52);
    const int count = static_cast<int>(sizes.size());
    for (int draw = 0; draw < 50; ++draw) {
      std::array<Wide, Maxlocalities + 1> o{}, w{};
      for (int k = 1; k <= count; ++k) o[k] = (static_cast<Wide>(random()) << 36) + static_cast<Wide>(random());
      const int a = 1 + static_cast<int>(random() % count), b = 1 + (a % count);
      const Wide x = static_cast<Wide>(random() % 1000000 + 1) << (draw % 2 ? 30 : 0);
      w = o;
      w[a] += sizes[a - 1] * x;
      w[b] -= sizes[b - 1] * x;
      EXPECT_TRUE(Withinatmost(plan, w.data(), o.data()) && Withinatmost(plan, o.data(), w.data()));
      w[b] += 1;
      EXPECT_FALSE(Withinatmost(plan, w.data(), o.data()));
      EXPECT_TRUE(Withinatmost(plan, o.data(), w.data()));
      w[b] -= 2;
      EXPECT_TRUE(Withinatmost(plan, w.data(), o.data()));
      EXPECT_FALSE(Withinatmost(plan, o.data(), w.data()));
    }
  }
}

// Small sums against a plain rational comparison, one product per size.
TEST(Phistexact, WithinSumsMatchAPlainRationalComparison) {
  const std::vector<int> sizes = {2, 3, 4, 6, 9, 2, 5};
  const Localities division = exact::Sized(sizes);
  const Phistplan plan = Planphist(division, 1000000, 0);
  Wide multiple = 1;
  for (const int s : sizes) multiple = std::lcm(static_cast<std::int64_t>(multiple), s);
  std::mt19937 random(4);
  for (int draw = 0; draw < 2000; ++draw) {
    std::array<Wide, Maxlocalities + 1> o{}, w{};
    Wide difference = 0;
    for (std::size_t k = 1; k <= sizes.size(); ++k) {
      o[k] = random() % 40;
      w[k] = random() % 40;
      difference += (o[k] - w[k]) * (multiple / sizes[k - 1]);
    }
    EXPECT_EQ(Withinatmost(plan, w.data(), o.data()), difference >= 0);
  }
}

// Denominators 1 to 1000 fit the words, and a difference of 1/999000 next
// to sums of 2^100 is told; a zero or repeated denominator is refused.
TEST(Phistexact, FractionPlansOfEveryDenominator) {
  std::vector<std::int32_t> all(1000);
  std::iota(all.begin(), all.end(), 1);
  const Fractionplan plan = Planfractions(all);
  EXPECT_EQ(plan.Words, 23);  // lcm(1..1000) has 1438 bits
  std::vector<Wide> plus(1000, 0), minus(1000, 0);
  const Wide x = Wide{1} << 100;
  plus[998] = 999 * x + 1;  // x + 1/999
  minus[999] = 1000 * x;    // x
  EXPECT_EQ(Fractionsign(plan, plus.data(), minus.data()), 1);
  minus[999] += 1;  // x + 1/1000
  EXPECT_EQ(Fractionsign(plan, plus.data(), minus.data()), 1);
  plus[998] -= 1;
  EXPECT_EQ(Fractionsign(plan, plus.data(), minus.data()), -1);
  minus[999] -= 1;
  EXPECT_EQ(Fractionsign(plan, plus.data(), minus.data()), 0);
  EXPECT_EQ(Fractionsign(plan, plus.data(), plus.data()), 0);
  // Halves and thirds of 2^125: too large for one product each in 128 bits.
  const Fractionplan small = Planfractions({2, 3});
  const Wide big[] = {Wide{1} << 125, Wide{1} << 125}, half[] = {Wide{1} << 125, 0}, third[] = {0, Wide{3} << 124},
             none[] = {0, 0};
  EXPECT_EQ(Fractionsign(small, big, none), 1);
  EXPECT_EQ(Fractionsign(small, none, big), -1);
  EXPECT_EQ(Fractionsign(small, big, third), 1);
  EXPECT_EQ(Fractionsign(small, half, third), 0);
  EXPECT_THROW(Planfractions({0, 2}), std::invalid_argument);
  EXPECT_THROW(Planfractions({3, 5, 3}), std::invalid_argument);
}

}  // namespace
}  // namespace halvik
