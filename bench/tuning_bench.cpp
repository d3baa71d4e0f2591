// The choices the permutation engine makes by the size of the sample,
// measured on this machine: gathering a locality's pairs from the packed
// table or from the table and the images apart (packed up to 256 sequences),
// and walking a lineup's rows as drawn or grouped by locality (grouped from
// 512 sequences). Each gathers a locality of half the sample per iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "stats/fast/gather.h"

namespace {

using namespace halvik;

struct Sample {
  std::int32_t n;
  std::vector<std::uint16_t> cells;
  std::vector<std::int64_t> images;
  std::vector<std::uint64_t> packed;
  std::vector<std::vector<std::int32_t>> lineups;  // random orders of 0..n-1
};

const Sample &Sampleof(std::int32_t n) {
  static std::vector<Sample> made;
  for (const Sample &s : made)
    if (s.n == n) return s;
  Sample s{n, {}, {}, {}, {}};
  std::mt19937 random(static_cast<unsigned>(n));
  s.cells.resize(static_cast<std::size_t>(n) * n);
  for (std::uint16_t &c : s.cells) c = static_cast<std::uint16_t>(random() % 2000);
  for (int d = 0; d < 2000; ++d) s.images.push_back(std::int64_t{d} << 20);
  for (std::uint16_t c : s.cells) s.packed.push_back(Packcell(c, s.images[c] >> 24));
  for (int l = 0; l < 64; ++l) {
    std::vector<std::int32_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    s.lineups.push_back(order);
  }
  made.push_back(std::move(s));
  return made.back();
}

// range(0): sequences; range(1): 1 for the packed table; range(2): 1 to sort
// the locality's records first, as grouping by locality does.
void Gather(benchmark::State &state) {
  const Sample &s = Sampleof(static_cast<std::int32_t>(state.range(0)));
  const Pairtable table{s.cells.data(), s.n, s.images.data(), state.range(1) ? s.packed.data() : nullptr};
  const std::int32_t size = s.n / 2;
  std::vector<std::int32_t> members(static_cast<std::size_t>(size));
  std::vector<char> in(static_cast<std::size_t>(s.n));
  std::size_t l = 0;
  for (auto _ : state) {
    const std::vector<std::int32_t> &order = s.lineups[l++ % s.lineups.size()];
    if (state.range(2)) {
      // Ascending in one pass over the records, as the engine groups them.
      std::fill(in.begin(), in.end(), 0);
      for (std::int32_t i = 0; i < size; ++i) in[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = 1;
      std::size_t m = 0;
      for (std::int32_t x = 0; x < s.n; ++x)
        if (in[static_cast<std::size_t>(x)]) members[m++] = x;
    } else {
      std::copy(order.begin(), order.begin() + size, members.begin());
    }
    benchmark::DoNotOptimize(Gathertriangle(table, members.data(), size));
  }
  state.counters["pairs"] =
      benchmark::Counter(static_cast<double>(size) * (size - 1) / 2, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(Gather)
    ->ArgNames({"sequences", "packed", "grouped"})
    ->Args({256, 0, 0})
    ->Args({256, 1, 0})
    ->Args({512, 0, 0})
    ->Args({512, 0, 1})
    ->Args({1000, 0, 0})
    ->Args({1000, 0, 1});

}  // namespace

BENCHMARK_MAIN();
