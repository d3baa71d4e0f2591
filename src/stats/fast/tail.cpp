#include "stats/fast/tail.h"

#include <cmath>

namespace halvik {

namespace {

// Below this the whole sum is too short for the shortcut to matter.
constexpr double Smallestreach = 256.0;
// The rounded terms of a between-locality sum may differ from the floating
// sum by half a unit per term on each side, some 2^19 units at most; a sum
// predicted this far inside [2^E, 2^(E+1)) ends there.
constexpr std::int64_t Predictionmargin = std::int64_t{1} << 24;
constexpr std::int64_t Binadeunits = std::int64_t{1} << 52;

// How often each value d occurs among the pairs of records.
std::vector<std::int64_t> Paircounts(const Differencetable &diffs, std::size_t values) {
  std::vector<std::int64_t> counts(values, 0);
  for (std::int32_t x = 0; x < diffs.Size; ++x)
    for (std::int32_t y = x + 1; y < diffs.Size; ++y) ++counts[diffs.Cells[static_cast<std::size_t>(x) * diffs.Size + y]];
  return counts;
}

}  // namespace

Tailplan Maketail(const Distances &distances, double expected) {
  const std::vector<double> &logs = distances.Logs;
  Tailplan tail;
  tail.Pairs.resize(logs.size());
  for (std::size_t d = 0; d < logs.size(); ++d) tail.Pairs[d] = Termpair{logs[d], 0.0};
  if (!(expected >= Smallestreach && std::isfinite(expected))) return tail;
  const int e = std::ilogb(expected);
  tail.Reach = std::ldexp(1.0, e);
  tail.Limit = std::ldexp(1.0, e + 1);
  tail.Scale = std::ldexp(1.0, 52 - e);
  const std::vector<std::int64_t> counts = Paircounts(distances.Diffs, logs.size());
  double estimate = 0.0;
  for (std::size_t d = 0; d < logs.size(); ++d) {
    const double units = logs[d] * tail.Scale;  // exact: a power of two apart
    if (counts[d] > 0 && units - std::floor(units) == 0.5) return tail;
    tail.Pairs[d][1] = std::nearbyint(units) / tail.Scale;
    estimate += static_cast<double>(counts[d]) * units;
  }
  if (!(estimate < 0x1p61)) return tail;
  for (std::size_t d = 0; d < logs.size(); ++d)
    tail.Totalunits += counts[d] * static_cast<std::int64_t>(tail.Pairs[d][1] * tail.Scale);
  tail.Usable = true;
  return tail;
}

std::int64_t Tounits(const Tailplan &tail, Termpair sum) {
  if (!(sum[1] < tail.Limit)) return -1;
  return static_cast<std::int64_t>(sum[1] * tail.Scale);
}

bool Endsintail(const Tailplan &tail, std::int64_t withinunits) {
  if (!tail.Usable || withinunits < 0) return false;
  const std::int64_t between = tail.Totalunits - withinunits;
  return between > Binadeunits + Predictionmargin && between < 2 * Binadeunits - Predictionmargin;
}

double Finishtail(const Tailplan &tail, Termpair stopped, std::int64_t withinunits) {
  const double nan = std::nan("");
  if (!(stopped[0] >= tail.Reach && stopped[0] < tail.Limit)) return nan;
  const std::int64_t added = Tounits(tail, stopped);
  if (added < 0 || withinunits < 0) return nan;
  const std::int64_t rest = tail.Totalunits - withinunits - added;
  const std::int64_t end = static_cast<std::int64_t>(stopped[0] * tail.Scale) + rest;
  if (rest < 0 || end >= 2 * Binadeunits) return nan;
  return static_cast<double>(end) / tail.Scale;
}

}  // namespace halvik
