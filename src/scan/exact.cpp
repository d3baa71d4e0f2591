#include "scan/exact.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace halvik {

namespace {

using Big = std::vector<std::uint32_t>;

Big Times(const Big &x, std::uint64_t factor) {
  std::uint64_t carry = 0;
  const std::uint64_t low = factor & 0xffffffffu, high = factor >> 32;
  // x times the low half, then the high half one limb up.
  Big part(x.size() + 2, 0);
  for (std::size_t i = 0; i < x.size(); ++i) {
    const std::uint64_t t = x[i] * low + part[i] + carry;
    part[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  part[x.size()] = static_cast<std::uint32_t>(carry);
  carry = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const std::uint64_t t = x[i] * high + part[i + 1] + carry;
    part[i + 1] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  part[x.size() + 1] += static_cast<std::uint32_t>(carry);
  while (!part.empty() && part.back() == 0) part.pop_back();
  return part;
}

void Add(Big &sum, const Big &x) {
  if (sum.size() < x.size()) sum.resize(x.size(), 0);
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < sum.size(); ++i) {
    const std::uint64_t t = std::uint64_t{sum[i]} + (i < x.size() ? x[i] : 0) + carry;
    sum[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  if (carry) sum.push_back(static_cast<std::uint32_t>(carry));
}

int Compare(const Big &x, const Big &y) {
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  for (std::size_t i = x.size(); i-- > 0;)
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  return 0;
}

// x / divisor, and x mod divisor, for a divisor below 2^32.
Big Divided(const Big &x, std::uint32_t divisor, std::uint32_t &remainder) {
  Big quotient(x.size(), 0);
  std::uint64_t rest = 0;
  for (std::size_t i = x.size(); i-- > 0;) {
    const std::uint64_t t = rest << 32 | x[i];
    quotient[i] = static_cast<std::uint32_t>(t / divisor);
    rest = t % divisor;
  }
  remainder = static_cast<std::uint32_t>(rest);
  while (!quotient.empty() && quotient.back() == 0) quotient.pop_back();
  return quotient;
}

}  // namespace

Fractionsum::Fractionsum(const std::vector<std::uint32_t> &denominators) : Denominators(denominators) {
  Big multiple{1};
  for (const std::uint32_t t : denominators) {
    std::uint32_t remainder = 0;
    Divided(multiple, t, remainder);
    multiple = Times(multiple, t / std::gcd(t, remainder));
  }
  for (const std::uint32_t t : denominators) {
    std::uint32_t remainder = 0;
    Cofactors.push_back(Divided(multiple, t, remainder));
  }
}

int Fractionsum::Sign(const std::int64_t *numerators) const {
  // Most lineups are far from the observed division: a long double sum with
  // a bound on its rounding decides them.
  long double sum = 0, size = 0;
  for (std::size_t j = 0; j < Denominators.size(); ++j) {
    const long double term = static_cast<long double>(numerators[j]) / Denominators[j];
    sum += term;
    size += std::fabs(term);
  }
  if (std::fabs(sum) > size * 1e-15L) return sum > 0 ? 1 : -1;
  Big above, below;
  for (std::size_t j = 0; j < Denominators.size(); ++j) {
    const std::int64_t n = numerators[j];
    const std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    Add(n < 0 ? below : above, Times(Cofactors[j], magnitude));
  }
  return Compare(above, below);
}

}  // namespace halvik
