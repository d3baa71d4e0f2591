// The permutation test over randomized sequence lineups.
#pragma once
#include <cstdint>

#include "stats/distances.h"
#include "stats/fast/engine.h"
#include "stats/localities.h"
#include "stats/observed.h"

namespace halvik {

// Adds to the counts the ratios of one lineup that reach the observed ones.
void Countlineup(const Distances &distances, const Localities &division, const Observed &observed, const Lineup &lineup,
                 Lineupcounts &counts);

// The four counts over `lineups` shuffles drawn from Rnd, each lineup's
// statistics computed by the estimators exactly as stated: the reference.
Lineupcounts Literalcounts(const Distances &distances, const Localities &division, const Observed &observed,
                           std::int32_t lineups);

// Asks for the number of lineups on the console and reads it.
std::int32_t Asklineups();

// Writes the number of lineups to the results file, runs them, and writes the
// four P lines. The options reach the engine (its report, every lineup's
// values, its progress).
Lineupcounts Testlineups(const Distances &distances, const Localities &division, const Observed &observed,
                         std::int32_t lineups, const Fastoptions &options = {});

}  // namespace halvik
