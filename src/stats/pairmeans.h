// The means of a pair term that the estimators take, in their summation order.
#pragma once
#include <cstdint>

#include "stats/localities.h"

namespace halvik {

// Over all pairs a < b of positions first..last, a ascending and, within each
// a, b ascending; the pair count is the exact m(m - 1), halved as a real.
template <typename Term>
double Withinmean(std::int32_t first, std::int32_t last, const Lineup &lineup, Term term) {
  double sum = 0.0;
  for (std::int32_t a = first; a <= last; ++a)
    for (std::int32_t b = a + 1; b <= last; ++b) sum += term(lineup, a, b);
  const std::int32_t m = last - first + 1;
  return sum / (static_cast<double>(m * (m - 1)) / 2.0);
}

// Over all pairs of positions in different localities: localities i < j, and
// the positions within each ascending.
template <typename Term>
double Betweenmean(const Starttable &start, std::int32_t count, const Lineup &lineup, Term term) {
  double sum = 0.0;
  std::int32_t pairs = 0;
  for (std::int32_t i = 1; i <= count; ++i)
    for (std::int32_t j = i + 1; j <= count; ++j)
      for (std::int32_t x = start[i]; x <= start[i + 1] - 1; ++x)
        for (std::int32_t y = start[j]; y <= start[j + 1] - 1; ++y) {
          sum += term(lineup, x, y);
          ++pairs;
        }
  return sum / static_cast<double>(pairs);
}

}  // namespace halvik
