// The sums of a division that the enumeration of all divisions moves from
// one division to the next. The records outside the largest locality (B) are
// placed one at a time; B's sums follow from the total, the row totals and
// the pairs among the placed records, so that a step costs in proportion to
// the placed records, whatever N.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "stats/distances.h"
#include "stats/localities.h"
#include "stats/neighbours.h"

namespace halvik {

// Made once per enumeration; records from 0. Units and Logs are N x N,
// row-major and symmetric: d and ln(1 + d) of each pair as exact whole
// numbers (d in the units of Distances::Units, the logs in units of
// 2^-Logshift, which holds every term whole), so that sums are exact in any
// order. Adjacent[i N + j] is 1 when j is a nearest neighbour of i, and
// Reached[i N + j] when i is one of j's: a step reads the placed records'
// rows, where the record it places, rising, walks forwards. Record x's
// reverse neighbours (the i with x among theirs), counted by class, are the
// entries Revfirst[x]..Revfirst[x + 1] - 1 of Revclass and Revcount.
struct Enumerationtables {
  std::int32_t N = 0, Count = 0, Big = 0;
  std::array<std::int32_t, Maxlocalities + 1> Sizes{};
  std::array<double, Maxlocalities + 1> Pairs{};  // within each locality, as the estimators divide by
  double Betweenpairs = 0.0, Allpairs = 0.0;
  std::vector<Wide> Units, Logs, Rowunits, Rowlogs;
  Wide Totalunits = 0, Totallogs = 0;
  double Unitscale = 1.0, Logscale = 1.0;  // 2^-shift of each
  std::vector<std::int32_t> Classof, Ties;
  std::vector<std::uint8_t> Adjacent, Reached;
  std::vector<std::size_t> Revfirst;
  std::vector<std::int32_t> Revclass, Revcount;
};

Enumerationtables Maketables(const Distances &distances, const Localities &division, const Neighbours &neighbours);

// A division as it is walked: Place by record (from 0), the records placed
// outside B in the order placed, the within sums by locality 1..Count (B's
// included), and Snn's class sums.
struct Enumerationstate {
  std::vector<std::int32_t> Place, Members;
  std::array<Wide, Maxlocalities + 1> Within{}, Withinlogs{};
  std::vector<Wide> Snn;
};

// Every record in B.
Enumerationstate Startstate(const Enumerationtables &tables);

// Record x (in B) into locality k; and the last placed record back to B.
void Place(const Enumerationtables &tables, Enumerationstate &state, std::int32_t x, std::int32_t k);
void Unplace(const Enumerationtables &tables, Enumerationstate &state);

// Kst, Fst, K*st and F*sb from exact within sums, each sum rounded once, then
// combined in the estimators' order.
std::array<double, 4> Ratiosof(const Enumerationtables &tables, const Localities &division, const Wide *within,
                               const Wide *withinlogs);

}  // namespace halvik
