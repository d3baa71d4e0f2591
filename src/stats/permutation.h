// The permutation test over randomized lineups.
#pragma once
#include <cstdint>

#include "stats/distances.h"
#include "stats/fast/engine.h"
#include "stats/localities.h"
#include "stats/observed.h"
#include "stats/random.h"

namespace halvik {

// Adds to the counts the ratios of one lineup that reach the observed ones.
void Countlineup(const Distances &distances, const Localities &division, const Observed &observed, const Lineup &lineup,
                 Lineupcounts &counts);

// The four counts over `lineups` shuffles drawn as Rnd(1, N) draws them from
// the generator, each lineup's statistics computed by the estimators exactly
// as stated: the reference the engine is held to.
Lineupcounts Literalcounts(const Distances &distances, const Localities &division, const Observed &observed,
                           std::int32_t lineups, Mersennetwister &generator);

// The counts of `lineups` lineups drawn from the generator, which must be
// seeded (a sample of one sequence draws nothing). The options reach the
// engine (its report, every lineup's values, its progress).
Lineupcounts Testlineups(const Distances &distances, const Localities &division, const Observed &observed,
                         std::int32_t lineups, Mersennetwister &generator, const Fastoptions &options = {});

}  // namespace halvik
