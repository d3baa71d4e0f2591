#include "stats/fastbounds.h"

#include <cmath>
#include <limits>

namespace halvik {

namespace {

constexpr double Unitroundoff = 0x1p-53;

// The largest double not above v, and the smallest not below it.
double Floorreal(std::int64_t v) {
  const double d = static_cast<double>(v);
  return static_cast<std::int64_t>(d) > v ? Down(d) : d;
}
double Ceilreal(std::int64_t v) {
  const double d = static_cast<double>(v);
  return static_cast<std::int64_t>(d) < v ? Up(d) : d;
}

}  // namespace

void Setlogterms(Logterms &terms, std::int32_t maxdiff, std::int64_t fixedlimit) {
  for (std::int32_t d = 0; d <= maxdiff; ++d) terms.Real[d] = std::log(1.0 + static_cast<double>(d));
  int shift = 52;
  while (shift > 0 && std::llround(std::ldexp(terms.Real[maxdiff], shift)) > fixedlimit) --shift;
  terms.Shift = shift;
  // The terms rise with d, so the last is the largest image.
  for (std::int32_t d = 0; d <= maxdiff; ++d) terms.Fixed[d] = std::llround(std::ldexp(terms.Real[d], shift));
}

double Down(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }
double Up(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }

Interval Sumbounds(std::int64_t fixed, std::int64_t terms, int shift) {
  if (terms <= 0) return {0.0, 0.0};
  // The exact sum of the terms lies within terms/2 units of `fixed`: in
  // half units, within (2 fixed - terms, 2 fixed + terms).
  std::int64_t low = 2 * fixed - terms;
  if (low < 0) low = 0;
  const double exactlo = std::ldexp(Floorreal(low), -(shift + 1));
  const double exacthi = std::ldexp(Ceilreal(2 * fixed + terms), -(shift + 1));
  // Adding n non-negative terms rounds n-1 times: the floating sum is within
  // gamma(n-1) = (n-1)u / (1 - (n-1)u) of the exact one, relatively.
  const double t = static_cast<double>(terms - 1) * Unitroundoff;
  const double gamma = Up(t / Down(1.0 - t));
  double lo = Down(exactlo * Down(1.0 - gamma));
  if (lo < 0.0) lo = 0.0;
  return {lo, Up(exacthi * Up(1.0 + gamma))};
}

}  // namespace halvik
