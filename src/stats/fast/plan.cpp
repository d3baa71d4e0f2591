#include "stats/fast/plan.h"

#include <algorithm>
#include <cmath>

#include "stats/fast/gather.h"

namespace halvik {

namespace {

static_assert(std::int64_t{Packedseqs - 1} * Maxsegsites < std::int64_t{1} << Packedshift);

// The images of the terms, the packed table and the row totals.
void Settotals(Plan &p) {
  const std::int32_t n = p.N;
  const std::vector<std::uint16_t> &cells = p.Dist->Diffs.Cells;
  const std::int64_t allpairs = std::max<std::int64_t>(1, std::int64_t{n} * (n - 1) / 2);
  std::int64_t limit = ((std::int64_t{1} << 61) - 1) / allpairs;
  const bool packed = n <= Packedseqs;
  // A packed row adds at most n - 1 cells.
  if (packed) limit = std::min(limit, ((std::int64_t{1} << (64 - Packedshift)) - 1) / std::max(n - 1, 1));
  p.Shift = Fixedimages(p.Dist->Logs, limit, p.Images);
  if (packed) {
    p.Packed.resize(cells.size());
    for (std::size_t c = 0; c < cells.size(); ++c) p.Packed[c] = Packcell(cells[c], p.Images[cells[c]]);
  }
  p.Rowdiff.assign(static_cast<std::size_t>(n), 0);
  p.Rowlog.assign(static_cast<std::size_t>(n), 0);
  p.Totaldiff = p.Totallog = 0;
  for (std::int32_t x = 0; x < n; ++x) {
    std::int64_t rowdiff = 0, rowlog = 0;
    for (std::int32_t y = 0; y < n; ++y) {
      const std::uint16_t d = cells[static_cast<std::size_t>(x) * n + y];
      rowdiff += d;
      rowlog += p.Images[d];
    }
    p.Rowdiff[static_cast<std::size_t>(x)] = rowdiff;
    p.Rowlog[static_cast<std::size_t>(x)] = rowlog;
    p.Totaldiff += rowdiff;
    p.Totallog += rowlog;
  }
  p.Totaldiff /= 2;
  p.Totallog /= 2;
}

void Setlocalities(Plan &p, const Localities &division) {
  p.Count = division.Count;
  p.Start = division.Start;
  p.Monotoneweights = true;
  p.Betweenpairs = 0;
  std::int64_t direct = 0;
  int largest = 1;
  for (int k = 1; k <= p.Count; ++k) {
    const std::int32_t m = p.Start[k + 1] - p.Start[k];
    p.Weight[k] = division.Weight[k];
    p.Pairs[k] = static_cast<double>(m * (m - 1)) / 2.0;
    p.Paircount[k] = std::int64_t{m} * (m - 1) / 2;
    direct += p.Paircount[k];
    p.Betweenpairs += m * (p.Start[p.Count + 1] - p.Start[k + 1]);
    if (!(p.Weight[k] > 0.0 && std::isfinite(p.Weight[k]))) p.Monotoneweights = false;
    if (m > p.Start[largest + 1] - p.Start[largest]) largest = k;
  }
  for (int k = 1; k <= p.Count; ++k) p.Withinscale[k] = Scalefor(p.Paircount[k], p.Shift);
  p.Betweenscale = Scalefor(p.Betweenpairs, p.Shift);
  // Deriving the largest locality costs every pair of the rest, plus a row
  // total for each of their records: nothing at all for a single locality.
  const std::int64_t rest = p.N - (p.Start[largest + 1] - p.Start[largest]);
  p.Derived = p.Count >= 1 && rest * (rest - 1) / 2 + rest < direct ? largest : 0;
}

}  // namespace

Plan Makeplan(const Distances &distances, const Localities &division, const Observed &observed, bool everyvalue) {
  Plan p{};
  p.Dist = &distances;
  p.N = distances.Diffs.Size;
  p.Grouped = p.N >= 512;
  p.Obs = observed;
  p.Monotonekstar = observed.Ktstar > 0.0 && std::isfinite(observed.Ktstar);
  p.Everyvalue = everyvalue;
  Settotals(p);
  Setlocalities(p, division);
  // A random lineup's pairs between localities are on average a random
  // share of all pairs.
  const double allpairs = static_cast<double>(p.N) * (p.N - 1) / 2.0;
  const double expected = std::ldexp(static_cast<double>(p.Totallog), -p.Shift) / allpairs * p.Betweenpairs;
  p.Tail = Maketail(distances, expected);
  return p;
}

}  // namespace halvik
