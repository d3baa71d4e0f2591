// The permutation test where the pair distances are ratios (pairwise
// deletion of gaps and N): their sums are not whole numbers, so every
// lineup's statistics are the estimators' own, added in their order.
#pragma once
#include "stats/fast/engine.h"

namespace halvik {

// The counts of Literalcounts over the same draws, on the engine's workers.
Lineupcounts Orderedcounts(const Distances &distances, const Localities &division, const Observed &observed,
                           std::int32_t lineups, Mersennetwister &generator, const Fastoptions &options);

}  // namespace halvik
