#include "stats/localities.h"

namespace halvik {

Lineup Identitylineup(std::int32_t n) {
  Lineup lineup{};
  for (std::int32_t p = 1; p <= n; ++p) lineup[p] = p;
  return lineup;
}

Localities Dividedat(const std::int32_t *starts, std::int32_t count, std::int32_t n) {
  Localities division;
  division.Count = count;
  for (std::int32_t k = 1; k <= count; ++k) division.Start[k] = starts[k - 1];
  division.Start[count + 1] = n + 1;
  for (std::int32_t k = 1; k <= count; ++k)
    division.Weight[k] = static_cast<double>(division.Start[k + 1] - division.Start[k]) / static_cast<double>(n);
  return division;
}

}  // namespace halvik
