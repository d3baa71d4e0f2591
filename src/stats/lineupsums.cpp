#include "stats/lineupsums.h"

#include <algorithm>
#include <cmath>

namespace halvik {

namespace {

// The groups of identical records: with whole differences, those at
// distance 0 from each other (a ratio of 0 under pairwise deletion says
// nothing of a third record, so there every record stands alone).
std::vector<std::int32_t> Identicalgroups(const Distances &distances, std::int32_t &groups) {
  const std::int32_t n = distances.Size();
  std::vector<std::int32_t> group(static_cast<std::size_t>(n) + 1, -1);
  groups = 0;
  if (!distances.Whole()) return group;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (group[i] >= 0) continue;
    bool alone = true;
    for (std::int32_t j = i + 1; j <= n; ++j)
      if (group[j] < 0 && distances.Diffs(i, j) == 0) group[j] = groups, alone = false;
    if (!alone) group[i] = groups++;
  }
  return group;
}

// The neighbour pairs with every group taken whole: a record's neighbours
// hold all of a group or none of it, as its members are alike.
Snnpairs Pairsof(const Distances &distances, const Neighbours &nearest) {
  Snnpairs snn;
  snn.Groupof = Identicalgroups(distances, snn.Groups);
  for (std::int32_t r = 1; r < static_cast<std::int32_t>(snn.Groupof.size()); ++r)
    if (snn.Groupof[r] >= 0) snn.Grouped.push_back(r);
  std::vector<std::int32_t> seen(static_cast<std::size_t>(snn.Groups), 0);  // by group: the record that named it
  std::size_t at = 0;
  for (std::size_t c = 0; c < nearest.Classes(); ++c) {
    for (; at < nearest.Classend[c]; ++at) {
      const std::int32_t i = nearest.Pairs[2 * at], j = nearest.Pairs[2 * at + 1], g = snn.Groupof[j];
      if (g < 0) {
        snn.Pairs.insert(snn.Pairs.end(), {i, j});
      } else if (seen[static_cast<std::size_t>(g)] != i) {
        seen[static_cast<std::size_t>(g)] = i;
        snn.Pairs.insert(snn.Pairs.end(), {i, -g - 1});
      }
    }
    snn.Pairend.push_back(snn.Pairs.size() / 2);
  }
  return snn;
}

// The class sums of Snn: each pair's neighbours that share the record's
// locality, a group's counted from how many of it each locality holds, less
// the record itself when it is one of them.
void Snnclasses(const Exactplan &plan, const Lineupsums &sums) {
  const Snnpairs &snn = plan.Snn;
  constexpr std::size_t Row = Maxlocalities + 1;
  const auto count = [&](std::int32_t g, std::int32_t k) -> std::int32_t & {
    return sums.Counts[static_cast<std::size_t>(g) * Row + static_cast<std::size_t>(k)];
  };
  for (const std::int32_t r : snn.Grouped) ++count(snn.Groupof[r], sums.Place[r]);
  std::size_t at = 0;
  for (std::size_t c = 0; c < snn.Pairend.size(); ++c) {
    std::int64_t shared = 0;
    for (; at < snn.Pairend[c]; ++at) {
      const std::int32_t i = snn.Pairs[2 * at], u = snn.Pairs[2 * at + 1];
      if (u > 0)
        shared += sums.Place[i] == sums.Place[u];
      else
        shared += count(-u - 1, sums.Place[i]) - (snn.Groupof[i] == -u - 1);
    }
    sums.Scratch[c] = shared;
  }
  for (const std::int32_t r : snn.Grouped) count(snn.Groupof[r], sums.Place[r]) = 0;
}

}  // namespace

std::size_t Countroom(const Exactplan &plan) {
  return static_cast<std::size_t>(std::max(plan.Snn.Groups, 1)) * (Maxlocalities + 1);
}

Exactplan Makeexactplan(const Distances &distances, const Localities &division) {
  Exactplan plan;
  plan.Divided = division.Count >= 2;
  plan.Nearest = Findneighbours(distances);
  plan.Snn = Pairsof(distances, plan.Nearest);
  const Amovasums sums = Amovasumsof(distances, division);
  plan.Phist = Planphist(division, sums.Total, distances.Unitshift());
  plan.Withinobserved = sums.Within;
  plan.Observedside = Varianceside(plan.Phist, plan.Withinobserved.data());
  // Whole differences are squared Euclidean distances: SSD_A >= 0 and n0 > 1
  // keep σ²_A + σ²_W above 0 for every division unless every d is 0.
  plan.Alwayspositive = distances.Whole() && plan.Observedside > 0;
  plan.Snnobserved.resize(plan.Nearest.Classes());
  std::vector<std::int32_t> place(static_cast<std::size_t>(distances.Size()) + 1, 0);
  Placesof(division, Identitylineup(distances.Size()), place.data());
  std::vector<std::int32_t> counts(Countroom(plan), 0);
  Snnclasses(plan, Lineupsums{place.data(), nullptr, plan.Snnobserved.data(), counts.data()});
  return plan;
}

double Snnobserved(const Exactplan &plan) {
  return plan.Divided ? Snnvalue(plan.Nearest, plan.Snnobserved.data()) : std::nan("");
}

bool Snnreaches(const Exactplan &plan, const Lineupsums &sums) {
  if (!plan.Divided) return false;
  Snnclasses(plan, sums);
  return Snnatleast(plan.Nearest, sums.Scratch, plan.Snnobserved.data());
}

double Snnlineup(const Exactplan &plan, const Lineupsums &sums) {
  if (!plan.Divided) return std::nan("");
  Snnclasses(plan, sums);
  return Snnvalue(plan.Nearest, sums.Scratch);
}

double Phistobserved(const Exactplan &plan) { return Phistvalue(plan.Phist, plan.Withinobserved.data()); }

bool Phistreaches(const Exactplan &plan, const Lineupsums &sums) {
  if (plan.Alwayspositive) return Withinatmost(plan.Phist, sums.Within, plan.Withinobserved.data());
  return Phistatleast(plan.Phist, sums.Within, plan.Withinobserved.data());
}

double Phistlineup(const Exactplan &plan, const Lineupsums &sums) { return Phistvalue(plan.Phist, sums.Within); }

void Placesfromorder(const Localities &division, const std::int32_t *order, std::int32_t *place) {
  for (std::int32_t k = 1; k <= division.Count; ++k)
    for (std::int32_t p = division.Start[k]; p < division.Start[k + 1]; ++p) place[order[p - 1] + 1] = k;
}

}  // namespace halvik
