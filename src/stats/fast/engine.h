// The permutation test's engine: the four counts over the lineups drawn from
// the generator, taken from the difference table of the analysis. For every
// seed they are the counts of Literalcounts, which evaluates each lineup with
// the estimators exactly as stated.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "stats/distances.h"
#include "stats/lineupsums.h"
#include "stats/localities.h"
#include "stats/observed.h"
#include "stats/random.h"

namespace halvik {

// How the lineups of a test were decided.
struct Fastreport {
  std::int64_t Lineups = 0;
  // Lineups whose log-transformed sums came too close to the observed values
  // to call from their bounds and were added again in the estimators' order:
  // within localities, and also between them.
  std::int64_t Exactwithin = 0, Exactbetween = 0;
  // Between-locality sums ended early, their last terms added as whole
  // units; and those that failed the shortcut's checks and were added again.
  std::int64_t Tailsums = 0, Tailretries = 0;
  int Workers = 0;
  double Tableseconds = 0.0, Lineupseconds = 0.0;  // making the plan; the lineups
};

// Every lineup's four ratios, in the order drawn: each the very double the
// estimators give for that lineup, the one its count compares.
struct Nullvalues {
  std::array<std::vector<double>, Testedcount> Values;  // by Testedid
};

struct Fastoptions {
  int Workers = 0;                                // 0: one per processor, or one alone for a short test
  Fastreport *Report = nullptr;                   // receives how the lineups were decided
  Nullvalues *Null = nullptr;                     // receives every lineup's values (each then summed exactly)
  std::atomic<std::int64_t> *Progress = nullptr;  // counts the lineups evaluated, as they are
  // The statistics counted from exact sums (Snn, ΦST) are counted too when
  // this is given; the dialogue does without them.
  const Exactplan *Exact = nullptr;
};

// The counts over `lineups` lineups drawn from the generator, which is left
// where the literal shuffle would leave it; it must be seeded. The counts do
// not depend on the number of workers.
Lineupcounts Fastcounts(const Distances &distances, const Localities &division, const Observed &observed,
                        std::int32_t lineups, Mersennetwister &generator, const Fastoptions &options = {});

}  // namespace halvik
