#include "stats/diversity.h"

namespace halvik {

double Pnof(std::int32_t segsites, std::int32_t length) {
  return static_cast<double>(segsites) / static_cast<double>(length);
}

namespace {

double Harmonic(std::int32_t n) {
  double a = 0.0;
  for (std::int32_t i = 1; i <= n; ++i) a += 1.0 / static_cast<double>(i);
  return a;
}

}  // namespace

// The harmonic sum runs over every sequence, 1..N.
double Thetaof(std::int32_t segsites, std::int32_t length, std::int32_t n) {
  return Pnof(segsites, length) / Harmonic(n);
}

double Thetawof(std::int32_t segsites, std::int32_t length, std::int32_t n) {
  return Pnof(segsites, length) / Harmonic(n - 1);
}

}  // namespace halvik
