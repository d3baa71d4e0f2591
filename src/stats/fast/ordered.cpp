#include "stats/fast/ordered.h"

#include <algorithm>
#include <limits>
#include <thread>
#include <vector>

#include "stats/estimators.h"
#include "stats/tested.h"
#include "stats/fast/lineups.h"
#include "stats/subdivision.h"

namespace halvik {

namespace {

struct alignas(64) Tally {
  Lineupcounts Counts;
  std::vector<Wide> Classes;             // room for the neighbour classes' sums
  std::vector<std::int32_t> Placecounts;  // and for the groups' counts by locality
};

// The four ratios of a lineup, against the observed totals, which no lineup
// changes; the others NaN.
std::array<double, Testedcount> Ratiosof(const Distances &d, const Localities &division, const Observed &o,
                                         const Lineup &lineup) {
  const double ks = Weightedwithin(Kj, d, division, lineup);
  const double ft = Fbetween(d, division.Start, division.Count, lineup);
  const double ksstar = Weightedwithin(Kjstar, d, division, lineup);
  const double fbstar = Fbetweenstar(d, division.Start, division.Count, lineup);
  std::array<double, Testedcount> values;
  values.fill(std::numeric_limits<double>::quiet_NaN());
  values[Testkst] = 1.0 - ks / o.Kt;
  values[Testfst] = 1.0 - ks / ft;
  values[Testkststar] = 1.0 - ksstar / o.Ktstar;
  values[Testfsbstar] = 1.0 - ksstar / fbstar;
  return values;
}

// The statistics counted from exact sums, for a lineup: its records'
// localities, and d within each locality in exact units.
void Countexact(const Exactplan &plan, const Distances &d, const Localities &division, const Lineup &lineup,
                Tally &tally, std::array<double, Testedcount> &values) {
  std::int32_t place[Maxseqs + 1];
  Placesof(division, lineup, place);
  Wide within[Maxlocalities + 1];
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    within[k] = 0;
    for (std::int32_t a = division.Start[k]; a < division.Start[k + 1]; ++a)
      for (std::int32_t b = a + 1; b < division.Start[k + 1]; ++b) within[k] += d.Units(lineup[a], lineup[b]);
  }
  const Lineupsums sums{place, within, tally.Classes.data(), tally.Placecounts.data()};
  for (const Testedstatistic &statistic : Testedstatistics) {
    if (statistic.Reaches == nullptr) continue;
    if (statistic.Reaches(plan, sums)) ++tally.Counts[statistic.Id];
    values[static_cast<std::size_t>(statistic.Id)] = statistic.Value(plan, sums);
  }
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
  const std::array<double, 4> target = {observed.Kst, observed.Fst, observed.Kststar, observed.Fsbstar};
  std::vector<Tally> tallies(static_cast<std::size_t>(workers));
  if (options.Exact != nullptr)
    for (Tally &t : tallies) {
      t.Classes.resize(options.Exact->Nearest.Classes());
      t.Placecounts.assign(Countroom(*options.Exact), 0);
    }
  Runlineups(n, lineups, workers, generator, [&](int worker, std::int32_t number, const std::int32_t *order) {
    Lineup lineup{};
    for (std::int32_t p = 1; p <= n; ++p) lineup[p] = order[p - 1] + 1;
    std::array<double, Testedcount> values = Ratiosof(distances, division, observed, lineup);
    Tally &tally = tallies[static_cast<std::size_t>(worker)];
    if (options.Exact != nullptr) Countexact(*options.Exact, distances, division, lineup, tally, values);
    for (int id = 0; id < Testedcount; ++id) {
      // A not-a-number on either side compares false and is not counted.
      if (id < 4 && values[static_cast<std::size_t>(id)] >= target[static_cast<std::size_t>(id)]) ++tally.Counts[id];
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
