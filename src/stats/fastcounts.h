// The permutation test's four counts from a table of pair differences built
// once per analysis: for every seed the same counts as Literalcounts.
#pragma once
#include <cstdint>

#include "stats/permutation.h"

namespace halvik {

// How the lineups of the last Fastcounts were decided.
struct Fastreport {
  std::int64_t Lineups = 0;
  // Lineups whose log-transformed sums came too close to the observed values
  // to call from their bounds and were added again in the estimators' order:
  // within localities, and also between them.
  std::int64_t Exactwithin = 0, Exactbetween = 0;
  int Workers = 0;
  double Tableseconds = 0.0, Lineupseconds = 0.0;  // building the tables; the lineups
};

extern Fastreport Lastfastreport;

// The counts of Literalcounts over the same draws of Rnd. `workers` threads
// evaluate the lineups (0: one per processor, or one alone for a test too
// short to share); the counts do not depend on it.
Lineupcounts Fastcounts(const Localities &division, const Observed &observed, std::int32_t lineups,
                        int workers = 0);

}  // namespace halvik
