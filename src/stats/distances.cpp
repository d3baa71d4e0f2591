#include "stats/distances.h"

#include <algorithm>

#include "driver/console/failure.h"

namespace halvik {

Distances Measuredistances(const Population &pop) { return Measuredistances(pop, pop.Seqlength); }

Distances Measuredistances(const Population &pop, std::int32_t length) {
  Distances distances;
  distances.Diffs = Builddifftable(pop);
  distances.Length = length;
  const auto &cells = distances.Diffs.Cells;
  const std::uint16_t largest = cells.empty() ? 0 : *std::max_element(cells.begin(), cells.end());
  distances.Logs.resize(std::size_t{largest} + 1);
  for (std::size_t d = 0; d <= largest; ++d) distances.Logs[d] = std::log(1.0 + static_cast<double>(d));
  return distances;
}

Distances Measureratios(const Population &pop, const std::vector<std::int32_t> &shared) {
  Distances distances;
  distances.Diffs = Builddifftable(pop, 0, true);
  distances.Length = pop.Seqlength;
  const std::int32_t n = pop.Numseqs;
  const std::size_t cells = distances.Diffs.Cells.size();
  distances.Ratios.assign(cells, 0.0);
  distances.Ratiologs.assign(cells, 0.0);
  for (std::int32_t x = 1; x <= n; ++x)
    for (std::int32_t y = 1; y <= n; ++y) {
      const std::size_t cell = distances.Cell(x, y);
      if (x != y && shared[cell] == 0)
        Raisefatal("sequences " + pop.Seqs[x].Otu + " and " + pop.Seqs[y].Otu +
                   " have no position where both carry a base, so their difference cannot be taken");
      if (x == y) continue;
      const std::int64_t scaled = std::int64_t{distances.Diffs.Cells[cell]} * pop.Seqlength;
      distances.Ratios[cell] = static_cast<double>(scaled) / static_cast<double>(shared[cell]);
      distances.Ratiologs[cell] = std::log(1.0 + distances.Ratios[cell]);
    }
  distances.Diffs.Cells.clear();
  return distances;
}

}  // namespace halvik
