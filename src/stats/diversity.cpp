#include "stats/diversity.h"

namespace halvik {

double Pnof(std::int32_t segsites, std::int32_t length) {
  return static_cast<double>(segsites) / static_cast<double>(length);
}

double Thetaof(std::int32_t segsites, std::int32_t length, std::int32_t n) {
  // The harmonic sum runs over every sequence, 1..N.
  double a = 0.0;
  for (std::int32_t i = 1; i <= n; ++i) a += 1.0 / static_cast<double>(i);
  return Pnof(segsites, length) / a;
}

}  // namespace halvik
