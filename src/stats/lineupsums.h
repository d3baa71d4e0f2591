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
// The nearest neighbours as Snn counts them for every lineup. Samples hold
// many identical records, which are at one distance from every other: a
// record's neighbours are then whole groups of identical records, and what
// Snn needs of a group is how many of it each locality holds. So each
// neighbour pair (i, u) names either a record u >= 1 that is in no group, or
// the group -u - 1 whole; Pairs holds them side by side, class after class,
// class c's up to Pairend[c]. A lineup then costs a pass over the grouped
// records to count them by locality and one step per pair.
struct Snnpairs {
  std::vector<std::int32_t> Pairs;
  std::vector<std::size_t> Pairend;   // in pairs, by class
  std::vector<std::int32_t> Groupof;  // by record 1..N: its group, or -1
  std::vector<std::int32_t> Grouped;  // the records in a group
  std::int32_t Groups = 0;
};

struct Exactplan {
  bool Divided = false;  // two localities or more: with one, Snn is NaN and no lineup reaches it
  Neighbours Nearest;
  Snnpairs Snn;
  Phistplan Phist;
  std::vector<Wide> Snnobserved;                         // class sums of Snn
  std::array<Wide, Maxlocalities + 1> Withinobserved{};  // d within each locality, exact units
  // The sign of σ²_A + σ²_W for the observed division (0: ΦST is NaN), and
  // whether every division's is positive, as with whole differences, so that
  // ΦST orders divisions by SSD_W alone.
  int Observedside = 0;
  bool Alwayspositive = false;
};

Exactplan Makeexactplan(const Distances &distances, const Localities &division);

// A lineup as these statistics read it: Place[r] the locality (1..Count) of
// record r = 1..N, Within[k] the sum of d over the pairs within locality k in
// exact units (Distances::Units), and room for one value per neighbour class
// and for Groups x (Maxlocalities + 1) counts (all 0 between uses).
struct Lineupsums {
  const std::int32_t *Place;
  const Wide *Within;
  Wide *Scratch;
  std::int32_t *Counts;
};

// The room a lineup's Counts need.
std::size_t Countroom(const Exactplan &plan);

// Snn: the observed value; counts when the lineup's Snn is at least the
// observed one, exactly.
double Snnobserved(const Exactplan &plan);
bool Snnreaches(const Exactplan &plan, const Lineupsums &sums);
double Snnlineup(const Exactplan &plan, const Lineupsums &sums);
// ΦST: the observed value; counts when its SSD_W, exactly, makes ΦST at
// least the observed one.
double Phistobserved(const Exactplan &plan);
bool Phistreaches(const Exactplan &plan, const Lineupsums &sums);
double Phistlineup(const Exactplan &plan, const Lineupsums &sums);

// The places of a lineup given as the engine draws it: order[p - 1] + 1 is
// the record at position p.
void Placesfromorder(const Localities &division, const std::int32_t *order, std::int32_t *place);

}  // namespace halvik
