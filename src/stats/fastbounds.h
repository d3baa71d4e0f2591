// Bounds on floating sums of ln(1 + d) terms, taken from exact fixed-point
// sums of the same terms. The order in which a floating sum is added changes
// its last bits; the bounds hold for every order.
#pragma once
#include <cstdint>

#include "population/store.h"

namespace halvik {

// Term d is std::log(1.0 + d), the very double the estimators add; its
// fixed-point image is that double times 2^Shift rounded to the nearest
// whole number, so the two differ by at most half a unit of 2^-Shift.
struct Logterms {
  int Shift;
  double Real[Maxsegsites + 1];
  std::int64_t Fixed[Maxsegsites + 1];
};

// Fills terms 0..maxdiff with the largest Shift (at most 52) for which no
// fixed-point image exceeds `fixedlimit`.
void Setlogterms(Logterms &terms, std::int32_t maxdiff, std::int64_t fixedlimit);

// The neighbouring doubles below and above x: a result rounded to nearest
// lies between these two of its exact value.
double Down(double x);
double Up(double x);

struct Interval {
  double Lo, Hi;
};

// Encloses every floating sum, added one term at a time from 0.0 in any
// order, of `terms` non-negative doubles whose fixed-point images (units of
// 2^-shift) add up to `fixed`.
Interval Sumbounds(std::int64_t fixed, std::int64_t terms, int shift);

}  // namespace halvik
