// The statistics counted from a lineup's exact sums rather than from bounds
// on its floating ones: what the engine hands them for a lineup, what they
// compare it with, and how each counts it.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "stats/amova.h"
#include "stats/distances.h"
#include "stats/localities.h"
#include "stats/neighbours.h"

namespace halvik {

// Made once per test: the nearest neighbours, the comparisons ΦST needs,
// and the observed division's sums.
struct Exactplan {
  bool Divided = false;  // two localities or more: with one, Snn is NaN and no lineup reaches it
  Neighbours Nearest;
  Phistplan Phist;
  std::vector<Wide> Snnobserved;                         // class sums of Snn
  std::array<Wide, Maxlocalities + 1> Withinobserved{};  // d within each locality, exact units
};

Exactplan Makeexactplan(const Distances &distances, const Localities &division);

// A lineup as these statistics read it: Place[r] the locality (1..Count) of
// record r = 1..N, Within[k] the sum of d over the pairs within locality k in
// exact units (Distances::Units), and room for one value per neighbour class.
struct Lineupsums {
  const std::int32_t *Place;
  const Wide *Within;
  Wide *Scratch;
};

// Snn: counts when the lineup's Snn is at least the observed one, exactly.
bool Snnreaches(const Exactplan &plan, const Lineupsums &sums);
double Snnlineup(const Exactplan &plan, const Lineupsums &sums);
// ΦST: counts when its SSD_W, exactly, makes ΦST at least the observed one.
bool Phistreaches(const Exactplan &plan, const Lineupsums &sums);
double Phistlineup(const Exactplan &plan, const Lineupsums &sums);

// The places of a lineup given as the engine draws it: order[p - 1] + 1 is
// the record at position p.
void Placesfromorder(const Localities &division, const std::int32_t *order, std::int32_t *place);

}  // namespace halvik
