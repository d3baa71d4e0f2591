#include "stats/fractions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace halvik {

namespace {

__extension__ typedef unsigned __int128 Widebits;

// The longest sums: a product of a term below 2^127 and L / t_c, summed over
// up to 2^64 classes, in Words + 3 words.
constexpr int Maxwords = 32;
constexpr int Extrawords = 3;

using Number = std::vector<std::uint64_t>;  // a whole number, least significant word first

void Multiply(Number &x, std::uint64_t factor) {
  Widebits carry = 0;
  for (std::uint64_t &word : x) {
    carry += static_cast<Widebits>(word) * factor;
    word = static_cast<std::uint64_t>(carry);
    carry >>= 64;
  }
  if (carry != 0) x.push_back(static_cast<std::uint64_t>(carry));
}

// x / divisor into x, returning the remainder.
std::uint64_t Divide(Number &x, std::uint64_t divisor) {
  Widebits remainder = 0;
  for (std::size_t i = x.size(); i-- > 0;) {
    remainder = (remainder << 64) | x[i];
    x[i] = static_cast<std::uint64_t>(remainder / divisor);
    remainder %= divisor;
  }
  while (x.size() > 1 && x.back() == 0) x.pop_back();
  return static_cast<std::uint64_t>(remainder);
}

std::uint64_t Gcd(std::uint64_t a, std::uint64_t b) {
  while (b != 0) a = std::exchange(b, a % b);
  return a;
}

Number Leastmultiple(const std::vector<std::int32_t> &denominators) {
  Number multiple{1};
  for (const std::int32_t t : denominators) {
    Number copy = multiple;
    const auto d = static_cast<std::uint64_t>(t);
    Multiply(multiple, d / Gcd(Divide(copy, d), d));
  }
  return multiple;
}

// acc += scale * factor * 2^(64 shift), over `width` words of acc.
void Addproduct(std::uint64_t *acc, int width, const std::uint64_t *scale, int words, std::uint64_t factor, int shift) {
  Widebits carry = 0;
  int i = 0;
  for (; i < words; ++i) {
    carry += static_cast<Widebits>(scale[i]) * factor + acc[i + shift];
    acc[i + shift] = static_cast<std::uint64_t>(carry);
    carry >>= 64;
  }
  for (i += shift; carry != 0 && i < width; ++i) {
    carry += acc[i];
    acc[i] = static_cast<std::uint64_t>(carry);
    carry >>= 64;
  }
}

// The sum in words: positive and negative products apart, then compared.
int Longsign(const Fractionplan &plan, const Wide *plus, const Wide *minus) {
  std::array<std::uint64_t, Maxwords> above{}, below{};
  const int width = plan.Words + Extrawords;
  for (std::size_t c = 0; c < plan.Denominators.size(); ++c) {
    const Wide d = plus[c] - minus[c];
    if (d == 0) continue;
    const Widebits size = d > 0 ? static_cast<Widebits>(d) : static_cast<Widebits>(-d);
    std::uint64_t *acc = d > 0 ? above.data() : below.data();
    const std::uint64_t *scale = &plan.Scale[c * static_cast<std::size_t>(plan.Words)];
    Addproduct(acc, width, scale, plan.Words, static_cast<std::uint64_t>(size), 0);
    Addproduct(acc, width, scale, plan.Words, static_cast<std::uint64_t>(size >> 64), 1);
  }
  for (int i = width; i-- > 0;)
    if (above[i] != below[i]) return above[i] > below[i] ? 1 : -1;
  return 0;
}

double Todouble(Wide x) {
  const auto narrow = static_cast<std::int64_t>(x);
  return narrow == x ? static_cast<double>(narrow) : static_cast<double>(x);
}

// The sign when the sum in doubles is far enough from 0 to tell, else 0: each
// term D_c / t_c is within 3u of itself and their sum within (C - 1)u of
// the terms' magnitudes (u = 2^-53); the bound is twice that, for its own
// rounding.
int Roughsign(const Fractionplan &plan, const Wide *plus, const Wide *minus) {
  double sum = 0.0, size = 0.0;
  for (std::size_t c = 0; c < plan.Denominators.size(); ++c) {
    const double term = Todouble(plus[c] - minus[c]) / plan.Denominators[c];
    sum += term;
    size += std::fabs(term);
  }
  const double bound = size * static_cast<double>(plan.Denominators.size() + 2) * 0x1p-52;
  return (sum > bound) - (sum < -bound);
}

int Decide(const Fractionplan &plan, const Wide *plus, const Wide *minus) {
  const int rough = Roughsign(plan, plus, minus);
  return rough != 0 ? rough : Longsign(plan, plus, minus);
}

}  // namespace

Fractionplan Planfractions(const std::vector<std::int32_t> &denominators) {
  std::vector<std::int32_t> sorted = denominators;
  std::sort(sorted.begin(), sorted.end());
  if (!sorted.empty() && sorted.front() < 1) throw std::invalid_argument("a denominator below 1");
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
    throw std::invalid_argument("a repeated denominator");
  const Number multiple = Leastmultiple(sorted);
  Fractionplan plan;
  plan.Denominators = denominators;
  plan.Words = static_cast<int>(multiple.size());
  if (plan.Words + Extrawords > Maxwords) throw std::invalid_argument("denominators with too large a multiple");
  for (const std::int32_t t : denominators) {
    Number scale = multiple;
    Divide(scale, static_cast<std::uint64_t>(t));
    scale.resize(static_cast<std::size_t>(plan.Words));
    plan.Scale.insert(plan.Scale.end(), scale.begin(), scale.end());
  }
  if (plan.Words == 1 && multiple[0] < (std::uint64_t{1} << 62)) {
    Wide total = 0;
    for (const std::uint64_t scale : plan.Scale) total += static_cast<Wide>(scale);
    plan.Limit = ((Wide{1} << 126) - 1) / std::max<Wide>(total, 1);
  }
  return plan;
}

int Fractionsign(const Fractionplan &plan, const Wide *plus, const Wide *minus) {
  Wide sum = 0;
  for (std::size_t c = 0; c < plan.Denominators.size(); ++c) {
    const Wide d = plus[c] - minus[c];
    if (d > plan.Limit || d < -plan.Limit) return Decide(plan, plus, minus);
    sum += d * static_cast<Wide>(plan.Scale[c]);
  }
  return (sum > 0) - (sum < 0);
}

}  // namespace halvik
