#include "stats/lineupsums.h"

#include <cmath>

namespace halvik {

Exactplan Makeexactplan(const Distances &distances, const Localities &division) {
  Exactplan plan;
  plan.Divided = division.Count >= 2;
  plan.Nearest = Findneighbours(distances);
  const Amovasums sums = Amovasumsof(distances, division);
  plan.Phist = Planphist(division, sums.Total, distances.Unitshift());
  plan.Withinobserved = sums.Within;
  plan.Snnobserved.resize(plan.Nearest.Classes());
  std::vector<std::int32_t> place(static_cast<std::size_t>(distances.Size()) + 1, 0);
  Placesof(division, Identitylineup(distances.Size()), place.data());
  Snnsums(plan.Nearest, place.data(), plan.Snnobserved.data());
  return plan;
}

bool Snnreaches(const Exactplan &plan, const Lineupsums &sums) {
  if (!plan.Divided) return false;
  Snnsums(plan.Nearest, sums.Place, sums.Scratch);
  return Snnatleast(plan.Nearest, sums.Scratch, plan.Snnobserved.data());
}

double Snnlineup(const Exactplan &plan, const Lineupsums &sums) {
  if (!plan.Divided) return std::nan("");
  Snnsums(plan.Nearest, sums.Place, sums.Scratch);
  return Snnvalue(plan.Nearest, sums.Scratch);
}

bool Phistreaches(const Exactplan &plan, const Lineupsums &sums) {
  return Phistatleast(plan.Phist, sums.Within, plan.Withinobserved.data());
}

double Phistlineup(const Exactplan &plan, const Lineupsums &sums) { return Phistvalue(plan.Phist, sums.Within); }

void Placesfromorder(const Localities &division, const std::int32_t *order, std::int32_t *place) {
  for (std::int32_t k = 1; k <= division.Count; ++k)
    for (std::int32_t p = division.Start[k]; p < division.Start[k + 1]; ++p) place[order[p - 1] + 1] = k;
}

}  // namespace halvik
