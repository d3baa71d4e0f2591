// The permutation test over randomized sequence lineups.
#pragma once
#include <array>
#include <cstdint>

#include "stats/estimators.h"

namespace halvik {

// The division the user confirmed.
struct Localities {
  Starttable Start{};
  std::int32_t Count = 0;
  std::array<double, Maxlocalities + 1> Weight{};  // w_k = n_k / N, k = 1..Count
};

// The observed values the lineups are compared with.
struct Observed {
  double Kt, Kst, Fst, Kstart, Kstarst, Fstarsb;
};

// How many lineups gave a ratio at least as large as the observed one.
struct Lineupcounts {
  std::int32_t Kst = 0, Fst = 0, Kstarst = 0, Fstarsb = 0;
  bool operator==(const Lineupcounts &) const = default;
};

// Adds to the counts the ratios of one lineup that reach the observed ones.
void Countlineup(const Localities &division, const Observed &observed, const Lineup &lineup, Lineupcounts &counts);

// The four counts over `lineups` shuffles drawn from Rnd, each lineup's
// statistics computed by the estimators exactly as stated: the reference.
Lineupcounts Literalcounts(const Localities &division, const Observed &observed, std::int32_t lineups);

// Asks for the number of lineups, counts, and writes the four P lines.
void Permutationtest(const Localities &division, const Observed &observed);

}  // namespace halvik
