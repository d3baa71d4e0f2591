// What an analysis shows while it runs. The dialogue prints every event on
// the console and into the results file as it comes; the command line writes
// the results file alone. Each does nothing unless overridden.
#pragma once
#include <cstdint>

#include "analysis/analysis.h"
#include "population/segsites.h"
#include "seqfile/verify.h"

namespace halvik {

struct Analysisreporter : Verifyreporter, Sitereporter {
  // Pn and Theta are known.
  virtual void Described(const Analysis &) {}
  // A division into this many localities is asked for, or given.
  virtual void Localitycount(std::int32_t) {}
  // The observed statistics are known.
  virtual void Observed(const Analysis &) {}
  // The number of lineups is known, and the test begins.
  virtual void Testing(const Analysis &) {}
  // The counts are known.
  virtual void Tested(const Analysis &) {}
};

}  // namespace halvik
