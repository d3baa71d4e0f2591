#include "stats/fast/bounds.h"

#include <algorithm>
#include <cmath>

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

int Fixedimages(const std::vector<double> &real, std::int64_t fixedlimit, std::vector<std::int64_t> &images) {
  int shift = 52;
  // The terms rise with d, so the last is the largest image.
  while (shift > 0 && !real.empty() && std::llround(std::ldexp(real.back(), shift)) > fixedlimit) --shift;
  images.resize(real.size());
  for (std::size_t d = 0; d < real.size(); ++d) images[d] = std::llround(std::ldexp(real[d], shift));
  return shift;
}

Boundscale Scalefor(std::int64_t terms, int shift) {
  // Adding n non-negative terms rounds n-1 times: the floating sum is within
  // gamma(n-1) = (n-1)u / (1 - (n-1)u) of the exact one, relatively.
  const double t = static_cast<double>(std::max<std::int64_t>(terms - 1, 0)) * Unitroundoff;
  const double gamma = Up(t / Down(1.0 - t));
  return {terms, std::ldexp(1.0, -(shift + 1)), Down(1.0 - gamma), Up(1.0 + gamma)};
}

Interval Sumbounds(std::int64_t fixed, const Boundscale &scale) {
  const std::int64_t terms = scale.Terms;
  if (terms <= 0) return {0.0, 0.0};
  // The exact sum of the terms lies within terms/2 units of `fixed`: in
  // half units, within (2 fixed - terms, 2 fixed + terms). Scaling by a
  // power of two is exact.
  std::int64_t low = 2 * fixed - terms;
  if (low < 0) low = 0;
  const double exactlo = Floorreal(low) * scale.Halfunit;
  const double exacthi = Ceilreal(2 * fixed + terms) * scale.Halfunit;
  double lo = Down(exactlo * scale.Shrink);
  if (lo < 0.0) lo = 0.0;
  return {lo, Up(exacthi * scale.Grow)};
}

}  // namespace halvik
