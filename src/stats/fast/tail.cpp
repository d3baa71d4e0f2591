#include "stats/fast/tail.h"

#include <cmath>
#include <limits>

namespace halvik {

namespace {

// Below 2^8 a sum is too short for the shortcut to matter.
constexpr int Smallestbinade = 8;
// Past 2^E the sum crosses 2^E from the end when it would otherwise add more
// than two thirds of its pairs in order: stopping at 2^E adds 1/x of them,
// stopping at 2^(E-1) and climbing back from the end about 1 - 1/(2x).
constexpr double Backwardsbelow = 1.5;
// The rounded terms of a between-locality sum may differ from the floating
// sum by a unit per term, some 2^19 units at most; a sum predicted this far
// inside [2^E, 2^(E+1)) ends there.
constexpr std::int64_t Predictionmargin = std::int64_t{1} << 24;
constexpr std::int64_t Binadeunits = std::int64_t{1} << 52;

// How often each value d occurs among the pairs of records.
std::vector<std::int64_t> Paircounts(const Differencetable &diffs, std::size_t values) {
  std::vector<std::int64_t> counts(values, 0);
  for (std::int32_t x = 0; x < diffs.Size; ++x)
    for (std::int32_t y = x + 1; y < diffs.Size; ++y)
      ++counts[diffs.Cells[static_cast<std::size_t>(x) * diffs.Size + y]];
  return counts;
}

bool Halfway(double units) { return units - std::floor(units) == 0.5; }

// The roundings of every term; false if a present one lies halfway.
bool Setroundings(const std::vector<double> &logs, const std::vector<std::int64_t> &counts, Tailplan &tail) {
  for (std::size_t d = 0; d < logs.size(); ++d) {
    const double units = logs[d] * tail.Scale;  // exact: a power of two apart
    if (counts[d] > 0 && (Halfway(units) || (tail.Backwards && Halfway(units / 2.0)))) return false;
    tail.Pairs[d][1] = std::nearbyint(units) / tail.Scale;
    if (tail.Backwards)
      tail.Units[d] =
          Unitpair{static_cast<long long>(std::nearbyint(units)), static_cast<long long>(std::nearbyint(units / 2.0))};
  }
  return true;
}

}  // namespace

Tailplan Maketail(const Distances &distances, double expected) {
  const std::vector<double> &logs = distances.Logs;
  Tailplan tail;
  tail.Pairs.resize(logs.size());
  for (std::size_t d = 0; d < logs.size(); ++d) tail.Pairs[d] = Termpair{logs[d], 0.0};
  if (!(expected > 0.0 && std::isfinite(expected))) return tail;
  const int e = std::ilogb(expected);
  tail.Backwards = std::ldexp(expected, -e) < Backwardsbelow;
  const int f = tail.Backwards ? e - 1 : e;
  if (f < Smallestbinade) return tail;
  tail.Reach = std::ldexp(1.0, f);
  tail.Limit = std::ldexp(1.0, f + 1);
  tail.Scale = std::ldexp(1.0, 52 - f);
  if (tail.Backwards) tail.Units.resize(logs.size());
  const std::vector<std::int64_t> counts = Paircounts(distances.Diffs, logs.size());
  if (!Setroundings(logs, counts, tail)) return tail;
  double estimate = 0.0;
  for (std::size_t d = 0; d < logs.size(); ++d) estimate += static_cast<double>(counts[d]) * logs[d] * tail.Scale;
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
  const std::int64_t low = tail.Backwards ? 2 * Binadeunits : Binadeunits;  // 2^E in units
  return between > low + Predictionmargin && between < 2 * low - Predictionmargin;
}

double Finishtail(const Tailplan &tail, Termpair stopped, std::int64_t withinunits) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  if (!(stopped[0] >= tail.Reach && stopped[0] < tail.Limit)) return nan;
  const std::int64_t added = Tounits(tail, stopped);
  if (added < 0 || withinunits < 0) return nan;
  const std::int64_t rest = tail.Totalunits - withinunits - added;
  const std::int64_t end = static_cast<std::int64_t>(stopped[0] * tail.Scale) + rest;
  if (rest < 0 || end >= 2 * Binadeunits) return nan;
  return static_cast<double>(end) / tail.Scale;
}

std::int64_t Climbbase(const Tailplan &tail, Termpair stopped, std::int64_t withinunits) {
  if (!(stopped[0] >= tail.Reach && stopped[0] < tail.Limit)) return -1;
  const std::int64_t added = Tounits(tail, stopped);
  if (added < 0 || withinunits < 0) return -1;
  return static_cast<std::int64_t>(stopped[0] * tail.Scale) + (tail.Totalunits - withinunits - added);
}

double Finishclimb(const Tailplan &tail, double rowend, std::int64_t afterunits) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const double top = tail.Limit;  // 2^E, units of 2^E are twice those of 2^F
  if (!(rowend >= top && rowend < 2.0 * top) || afterunits < 0) return nan;
  const std::int64_t end = static_cast<std::int64_t>(rowend * (tail.Scale / 2.0)) + afterunits;
  if (end >= 2 * Binadeunits) return nan;
  return static_cast<double>(end) / (tail.Scale / 2.0);
}

}  // namespace halvik
