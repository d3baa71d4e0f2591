// Exact P values by visiting every division: the stickleback sample's sizes
// (23 in 14 and 9: 817,190 divisions) and a large sample with one small
// locality (1000 in 998 and 2: 499,500), on random differences. The target:
// 1,000,000 divisions in under a second.
#include <benchmark/benchmark.h>

#include <random>

#include "stats/enumeration.h"
#include "stats/neighbours.h"

namespace {

using namespace halvik;

Distances Randomdistances(std::int32_t n) {
  std::mt19937 random(static_cast<unsigned>(n));
  Distances d;
  d.Diffs.Size = n;
  d.Diffs.Cells.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
  for (std::int32_t x = 1; x <= n; ++x)
    for (std::int32_t y = x + 1; y <= n; ++y)
      d.Diffs.Cells[d.Cell(x, y)] = d.Diffs.Cells[d.Cell(y, x)] = static_cast<std::uint16_t>(1 + random() % 40);
  for (int v = 0; v <= 40; ++v) d.Logs.push_back(std::log(1.0 + v));
  return d;
}

void Enumerate(benchmark::State &state) {
  const auto n = static_cast<std::int32_t>(state.range(0)), small = static_cast<std::int32_t>(state.range(1));
  const Distances d = Randomdistances(n);
  const std::int32_t starts[] = {1, n - small + 1};
  const Localities division = Dividedat(starts, 2, n);
  const Neighbours neighbours = Findneighbours(d);
  std::int64_t divisions = 0;
  for (auto _ : state) divisions = Exactpvalues(d, division, neighbours).Divisions;
  state.counters["divisions"] = static_cast<double>(divisions);
  state.counters["per_division_ns"] =
      benchmark::Counter(static_cast<double>(divisions), benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
}
BENCHMARK(Enumerate)->Args({23, 9})->Args({1000, 2})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
