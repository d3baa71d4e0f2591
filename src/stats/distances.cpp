#include "stats/distances.h"

#include <algorithm>

namespace halvik {

Distances Measuredistances(const Population &pop) {
  Distances distances;
  distances.Diffs = Builddifftable(pop);
  distances.Length = pop.Seqlength;
  const auto &cells = distances.Diffs.Cells;
  const std::uint16_t largest = cells.empty() ? 0 : *std::max_element(cells.begin(), cells.end());
  distances.Logs.resize(std::size_t{largest} + 1);
  for (std::size_t d = 0; d <= largest; ++d) distances.Logs[d] = std::log(1.0 + static_cast<double>(d));
  return distances;
}

}  // namespace halvik
