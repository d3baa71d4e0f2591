#include "stats/neighbours.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace halvik {

namespace {

// The smallest distance from each record to another, by record 1..n.
std::vector<double> Nearest(const Distances &distances) {
  const std::int32_t n = distances.Size();
  std::vector<double> nearest(static_cast<std::size_t>(n) + 1, std::numeric_limits<double>::infinity());
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = 1; j <= n; ++j)
      if (j != i) nearest[i] = std::min(nearest[i], distances.D(i, j));
  return nearest;
}

bool Isneighbour(const Distances &distances, const std::vector<double> &nearest, std::int32_t i, std::int32_t j) {
  return j != i && distances.D(i, j) == nearest[i];
}

// T_i by record, and the classes: Ties and Classof.
std::vector<std::int32_t> Classify(const Distances &distances, const std::vector<double> &nearest, Neighbours &out) {
  const std::int32_t n = distances.Size();
  std::vector<std::int32_t> count(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = 1; j <= n; ++j) count[i] += Isneighbour(distances, nearest, i, j);
  for (std::int32_t i = 1; i <= n; ++i)
    if (count[i] > 0) out.Ties.push_back(count[i]);
  std::sort(out.Ties.begin(), out.Ties.end());
  out.Ties.erase(std::unique(out.Ties.begin(), out.Ties.end()), out.Ties.end());
  out.Classof.assign(static_cast<std::size_t>(n) + 1, -1);
  for (std::int32_t i = 1; i <= n; ++i)
    if (count[i] > 0)
      out.Classof[i] =
          static_cast<std::int32_t>(std::lower_bound(out.Ties.begin(), out.Ties.end(), count[i]) - out.Ties.begin());
  return count;
}

}  // namespace

Neighbours Findneighbours(const Distances &distances) {
  Neighbours out;
  out.Size = distances.Size();
  const std::vector<double> nearest = Nearest(distances);
  const std::vector<std::int32_t> count = Classify(distances, nearest, out);
  std::vector<std::size_t> next(out.Classes() + 1, 0);  // each class's next free pair
  for (std::int32_t i = 1; i <= out.Size; ++i)
    if (out.Classof[i] >= 0) next[static_cast<std::size_t>(out.Classof[i]) + 1] += static_cast<std::size_t>(count[i]);
  for (std::size_t c = 1; c <= out.Classes(); ++c) next[c] += next[c - 1];
  out.Classend.assign(next.begin() + 1, next.end());
  out.Pairs.resize(2 * next.back());
  for (std::int32_t i = 1; i <= out.Size; ++i)
    for (std::int32_t j = 1; j <= out.Size; ++j)
      if (Isneighbour(distances, nearest, i, j)) {
        std::size_t &at = next[static_cast<std::size_t>(out.Classof[i])];
        out.Pairs[2 * at] = static_cast<std::uint16_t>(i);
        out.Pairs[2 * at + 1] = static_cast<std::uint16_t>(j);
        ++at;
      }
  out.Plan = Planfractions(out.Ties);
  return out;
}

void Placesof(const Localities &division, const Lineup &lineup, std::int32_t *place) {
  for (std::int32_t k = 1; k <= division.Count; ++k)
    for (std::int32_t p = division.Start[k]; p < division.Start[k + 1]; ++p) place[lineup[p]] = k;
}

void Snnsums(const Neighbours &neighbours, const std::int32_t *place, Wide *sums) {
  const std::uint16_t *pair = neighbours.Pairs.data();
  std::size_t at = 0;
  for (std::size_t c = 0; c < neighbours.Classes(); ++c) {
    std::int64_t shared = 0;
    for (const std::size_t end = neighbours.Classend[c]; at < end; ++at)
      shared += place[pair[2 * at]] == place[pair[2 * at + 1]];
    sums[c] = shared;
  }
}

bool Snnatleast(const Neighbours &neighbours, const Wide *sums, const Wide *observed) {
  return Fractionsign(neighbours.Plan, sums, observed) >= 0;
}

double Snnvalue(const Neighbours &neighbours, const Wide *sums) {
  double total = 0.0;
  for (std::size_t c = 0; c < neighbours.Classes(); ++c)
    total += static_cast<double>(sums[c]) / static_cast<double>(neighbours.Ties[c]);
  return total / static_cast<double>(neighbours.Size);
}

double Snnof(const Neighbours &neighbours, const Localities &division) {
  if (division.Count < 2) return std::nan("");
  std::vector<std::int32_t> place(static_cast<std::size_t>(neighbours.Size) + 1, 0);
  Placesof(division, Identitylineup(neighbours.Size), place.data());
  std::vector<Wide> sums(neighbours.Classes());
  Snnsums(neighbours, place.data(), sums.data());
  return Snnvalue(neighbours, sums.data());
}

}  // namespace halvik
