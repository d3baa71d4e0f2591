#include "stats/fast/ordered.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "stats/estimators.h"
#include "stats/fast/lineups.h"
#include "stats/subdivision.h"

namespace halvik {

namespace {

struct alignas(64) Tally {
  Lineupcounts Counts;
};

// The four ratios of a lineup, against the observed totals, which no lineup
// changes.
std::array<double, Testedcount> Ratiosof(const Distances &d, const Localities &division, const Observed &o,
                                         const Lineup &lineup) {
  const double ks = Weightedwithin(Kj, d, division, lineup);
  const double ft = Fbetween(d, division.Start, division.Count, lineup);
  const double ksstar = Weightedwithin(Kjstar, d, division, lineup);
  const double fbstar = Fbetweenstar(d, division.Start, division.Count, lineup);
  return {1.0 - ks / o.Kt, 1.0 - ks / ft, 1.0 - ksstar / o.Ktstar, 1.0 - ksstar / fbstar};
}

}  // namespace

Lineupcounts Orderedcounts(const Distances &distances, const Localities &division, const Observed &observed,
                           std::int32_t lineups, Mersennetwister &generator, const Fastoptions &options) {
  lineups = std::max(lineups, 0);
  const std::int32_t n = distances.Size();
  const int workers = std::clamp(
      options.Workers > 0 ? options.Workers : static_cast<int>(std::thread::hardware_concurrency()), 1, 64);
  if (options.Null != nullptr)
    for (std::vector<double> &values : options.Null->Values) values.assign(static_cast<std::size_t>(lineups), 0.0);
  const std::array<double, Testedcount> target = {observed.Kst, observed.Fst, observed.Kststar, observed.Fsbstar};
  std::vector<Tally> tallies(static_cast<std::size_t>(workers));
  Runlineups(n, lineups, workers, generator, [&](int worker, std::int32_t number, const std::int32_t *order) {
    Lineup lineup{};
    for (std::int32_t p = 1; p <= n; ++p) lineup[p] = order[p - 1] + 1;
    const std::array<double, Testedcount> values = Ratiosof(distances, division, observed, lineup);
    Lineupcounts &counts = tallies[static_cast<std::size_t>(worker)].Counts;
    for (int id = 0; id < Testedcount; ++id) {
      // A not-a-number on either side compares false and is not counted.
      if (values[static_cast<std::size_t>(id)] >= target[static_cast<std::size_t>(id)]) ++counts[id];
      if (options.Null != nullptr)
        options.Null->Values[static_cast<std::size_t>(id)][static_cast<std::size_t>(number)] =
            values[static_cast<std::size_t>(id)];
    }
    if (options.Progress != nullptr) options.Progress->fetch_add(1, std::memory_order_relaxed);
  });
  Lineupcounts counts;
  for (const Tally &t : tallies)
    for (int id = 0; id < Testedcount; ++id) counts[id] += t.Counts[id];
  if (options.Report != nullptr) {
    *options.Report = Fastreport{};
    options.Report->Lineups = lineups;
    options.Report->Workers = workers;
  }
  return counts;
}

}  // namespace halvik
