// Where an analysis takes its answers from: the keyboard in the dialogue,
// the options on the command line.
#pragma once
#include <cstdint>

#include "analysis/reporter.h"
#include "stats/localities.h"
#include "store/store.h"

namespace halvik {

struct Answers {
  virtual ~Answers() = default;
  // The sample is read and verified, and its sites are sought next: the
  // command line refuses here a division that cannot fit, before anything is
  // written. A refusal raises a fatal data error.
  virtual void Sampleread(const Population &) {}
  // Pn and Theta are shown: the dialogue waits for return.
  virtual void Pause() {}
  // The division into localities; each count asked for, or given, goes to
  // the reporter's Localitycount.
  virtual Localities Division(const Population &pop, Analysisreporter &reporter) = 0;
  virtual std::int32_t Lineups() = 0;
};

}  // namespace halvik
