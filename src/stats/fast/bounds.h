// Bounds on floating sums of ln(1 + d) terms, taken from exact fixed-point
// sums of the same terms. The order in which a floating sum is added changes
// its last bits; the bounds hold for every order.
#pragma once
#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

namespace halvik {

// The fixed-point image of a term ln(1 + d) is that double times 2^shift
// rounded to the nearest whole number, so the two differ by at most half a
// unit of 2^-shift. Fills images[d] for every term of `real` (rising with d)
// with the largest shift, at most 52, for which no image exceeds `fixedlimit`,
// and returns that shift.
int Fixedimages(const std::vector<double> &real, std::int64_t fixedlimit, std::vector<std::int64_t> &images);

// The neighbouring doubles above and below x (std::nextafter towards plus
// and minus infinity): a result rounded to nearest lies between these two of
// its exact value. Inline, as the bounds of every lineup need several.
inline double Up(double x) {
  if (!(x < std::numeric_limits<double>::infinity())) return x;  // +inf, NaN
  if (x == 0.0) return std::numeric_limits<double>::denorm_min();
  const auto bits = std::bit_cast<std::uint64_t>(x);
  return std::bit_cast<double>(x > 0.0 ? bits + 1 : bits - 1);
}
inline double Down(double x) { return -Up(-x); }

struct Interval {
  double Lo, Hi;
};

// What the bounds of a sum of `Terms` terms in units of 2^-shift need: the
// half unit, and the factors for the rounding of the floating sum.
struct Boundscale {
  std::int64_t Terms;
  double Halfunit, Shrink, Grow;
};

Boundscale Scalefor(std::int64_t terms, int shift);

// Encloses every floating sum, added one term at a time from 0.0 in any
// order, of `terms` non-negative doubles whose fixed-point images (units of
// 2^-shift) add up to `fixed`.
Interval Sumbounds(std::int64_t fixed, const Boundscale &scale);

}  // namespace halvik
