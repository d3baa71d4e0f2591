// Hudson's nearest-neighbour statistic Snn (Hudson 2000, Genetics
// 155:2011-2014): for record i, its nearest neighbours are every j != i at
// the smallest d_ij (doubles tie only when equal), T_i of them, W_i of which
// share i's locality; Snn = (1/N) sum_i W_i / T_i. Large values mean
// structure.
#pragma once
#include <cstdint>
#include <vector>

#include "stats/distances.h"
#include "stats/fractions.h"
#include "stats/localities.h"

namespace halvik {

// The neighbours of every record, which no division changes, found once per
// analysis. Records with the same T_i form a class; classes run by ascending
// T. Pairs holds every (record, neighbour) pair once as two record numbers
// side by side, class after class, so that a division's class sums are one
// pass over one array: class c's pairs are those from Classend[c - 1] (0 for
// the first) up to Classend[c]. A division's Snn is then sum_c S_c / Ties[c]
// over N, with S_c the pairs of class c that share a locality: whole numbers
// that compare exactly.
struct Neighbours {
  std::int32_t Size = 0;
  std::vector<std::uint16_t> Pairs;
  std::vector<std::size_t> Classend;  // in pairs
  std::vector<std::int32_t> Ties;     // T of each class
  std::vector<std::int32_t> Classof;  // by record 1..Size; -1 for a record without neighbours
  Fractionplan Plan;                  // over Ties

  std::size_t Classes() const { return Ties.size(); }
};

// O(N^2) once, and O(sum T_i) memory.
Neighbours Findneighbours(const Distances &distances);

// place[r] is the locality of record r = 1..N, for the division `lineup`
// makes of `division`'s sizes: place[lineup[p]] = k for p in locality k.
void Placesof(const Localities &division, const Lineup &lineup, std::int32_t *place);

// The class sums S_c of the division `place` into sums[0..Classes()-1].
// O(sum T_i), allocating nothing: for every lineup.
void Snnsums(const Neighbours &neighbours, const std::int32_t *place, Wide *sums);

// Whether the Snn of class sums `sums` is at least that of `observed`,
// exactly. O(Classes()), allocating nothing.
bool Snnatleast(const Neighbours &neighbours, const Wide *sums, const Wide *observed);

// Snn from its class sums: sum_c S_c / T_c in class order, over N. Equal
// sums give the same double.
double Snnvalue(const Neighbours &neighbours, const Wide *sums);

// Snn of the division in file order; NaN for a single locality.
double Snnof(const Neighbours &neighbours, const Localities &division);

}  // namespace halvik
