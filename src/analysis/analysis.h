// One analysis of one sample, as a value: the sample and everything the
// stages compute from it, in the order they add it. Both faces run the same
// stages over it (analysis/pipeline.h) and print from it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stats/distances.h"
#include "stats/fast/engine.h"
#include "stats/localities.h"
#include "stats/observed.h"
#include "stats/random.h"
#include "population/segsites.h"
#include "stats/enumeration.h"
#include "stats/lineupsums.h"
#include "stats/subdivision.h"
#include "store/store.h"

namespace halvik {

struct Analysis {
  std::string File;  // the sequence file, as messages name it
  // What gaps and N are; and whether the search counts them (the dialogue
  // neither has a policy to choose nor says what they did).
  Sitepolicy Policy;
  // Whether Snn and ΦST are tested too, and exact P values found where the
  // divisions are few enough to visit: the command line's, not the dialogue's.
  bool Extended = false;

  // The sample: the dialogue's store, or one of the analysis's own (about
  // 4 MB, on the heap). Filled by the passes over the file.
  Population *Sample = nullptr;
  std::unique_ptr<Population> Owned;

  Gapreport Gaps;  // what the search found of gaps and N
  // Pn and Theta as the dialogue gives them, Watterson's Theta, and the
  // positions they are taken over: L; the positions kept under complete
  // deletion; under pairwise deletion, the fewest any pair shares.
  double Pn = 0.0, Theta = 0.0, Thetaw = 0.0;
  std::int32_t Positions = 0;

  Localities Division;
  std::vector<std::string> Names;  // the localities' names, when a map gave them

  Distances Differences;  // of every pair, once per analysis
  // Under pairwise deletion, the positions where both of a pair carry a base,
  // laid out as the differences are.
  std::vector<std::int32_t> Shared;
  Subdivision Stats{};    // the observed statistics
  Exactplan Exact;        // when Extended: what Snn and ΦST compare each lineup with
  Exactshares Shares;     // when Extended: every division's share at least the observed

  std::int32_t Lineups = 0;
  Mersennetwister Generator;  // seeded before the test, which draws from it
  Lineupcounts Counts;
  Nullvalues Null;  // every lineup's values, when they are asked for

  // An analysis with a store of its own.
  static Analysis Owning(std::string file);
  const Population &Pop() const { return *Sample; }
};

}  // namespace halvik
