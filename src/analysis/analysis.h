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
#include "stats/subdivision.h"
#include "store/store.h"

namespace halvik {

struct Analysis {
  std::string File;  // the sequence file, as messages name it

  // The sample: the dialogue's store, or one of the analysis's own (about
  // 4 MB, on the heap). Filled by the passes over the file.
  Population *Sample = nullptr;
  std::unique_ptr<Population> Owned;

  double Pn = 0.0, Theta = 0.0;

  Localities Division;
  std::vector<std::string> Names;  // the localities' names, when a map gave them

  Distances Differences;  // of every pair, once per analysis
  Subdivision Stats{};    // the observed statistics

  std::int32_t Lineups = 0;
  Mersennetwister Generator;  // seeded before the test, which draws from it
  Lineupcounts Counts;
  Nullvalues Null;  // every lineup's values, when they are asked for

  // An analysis with a store of its own.
  static Analysis Owning(std::string file);
  const Population &Pop() const { return *Sample; }
};

}  // namespace halvik
