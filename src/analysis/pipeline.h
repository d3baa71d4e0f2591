// The stages of an analysis, in their order, written once for both faces.
#pragma once
#include "analysis/analysis.h"
#include "analysis/answers.h"
#include "analysis/reporter.h"
#include "seqfile/reader.h"
#include "stats/fast/engine.h"
#include "store/packedsample.h"

namespace halvik {

// The sequence file, read as it stands by the passes over it; or, when
// Memory is set, a sample read from another format and held in memory.
struct Samplesource {
  Sequencesource File;
  const Packedsample *Memory = nullptr;
};

// From the file to the counts: verification and the site search (or the
// search of the sample in memory), Pn and Theta, the pause, the division,
// the observed statistics, the lineups and their test. A refusal of the data
// raises a fatal data error, which leaves the analysis as far as it got.
// The generator must be seeded; the options reach the engine.
void Runanalysis(Analysis &analysis, const Samplesource &source, Answers &answers, Analysisreporter &reporter,
                 const Fastoptions &options = {});

// The stages after the division: the differences of every pair, the
// observed statistics and their test over `lineups` lineups. Pairs of
// localities run the last two alone, on their share of the differences.
void Observe(Analysis &analysis, Analysisreporter &reporter);
void Observedivision(Analysis &analysis, Analysisreporter &reporter);
void Test(Analysis &analysis, std::int32_t lineups, Analysisreporter &reporter, Fastoptions options);

}  // namespace halvik
