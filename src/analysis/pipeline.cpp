#include "analysis/pipeline.h"

#include <algorithm>

#include "population/difftable.h"
#include "population/segsites.h"
#include "seqfile/verify.h"
#include "stats/diversity.h"
#include "stats/tested.h"
#include "stats/permutation.h"
#include "stats/subdivision.h"

namespace halvik {

Analysis Analysis::Owning(std::string file) {
  Analysis analysis;
  analysis.File = std::move(file);
  analysis.Owned = std::make_unique<Population>();
  analysis.Sample = analysis.Owned.get();
  return analysis;
}

namespace {

void Readsample(Analysis &analysis, const Samplesource &source, Answers &answers, Analysisreporter &reporter) {
  Population &pop = *analysis.Sample;
  if (source.Memory != nullptr) {
    Takerecords(*source.Memory, pop);
    answers.Sampleread(pop);
    analysis.Gaps = Findsegsites(*source.Memory, pop, reporter, analysis.Policy);
    return;
  }
  Verifysequences(source.File, pop, reporter);
  answers.Sampleread(pop);
  analysis.Gaps = Findsegsites(source.File, pop, reporter, analysis.Policy);
}

void Describe(Analysis &analysis, Analysisreporter &reporter) {
  const Population &pop = analysis.Pop();
  const std::int32_t kept = analysis.Gaps.Kept;
  analysis.Pn = Pnof(pop.Numsegsites, kept);
  analysis.Theta = Thetaof(pop.Numsegsites, kept, pop.Numseqs);
  analysis.Thetaw = Thetawof(pop.Numsegsites, kept, pop.Numseqs);
  analysis.Positions = kept;
  reporter.Described(analysis);
}

// The differences of every pair as the policy takes them.
Distances Measure(Analysis &analysis) {
  const Population &pop = analysis.Pop();
  if (analysis.Policy.Missing != Missingpolicy::Pairwise) return Measuredistances(pop, analysis.Gaps.Kept);
  analysis.Shared = Sharedpositions(analysis.Gaps.Positions, pop.Seqlength);
  analysis.Positions = *std::min_element(analysis.Shared.begin(), analysis.Shared.end());
  return Measureratios(pop, analysis.Shared);
}

}  // namespace

void Observe(Analysis &analysis, Analysisreporter &reporter) {
  // Every statistic from here on compares the same pairs again and again.
  analysis.Differences = Measure(analysis);
  Observedivision(analysis, reporter);
}

void Observedivision(Analysis &analysis, Analysisreporter &reporter) {
  const Distances &d = analysis.Differences;
  analysis.Stats = Subdivisionstats(d, analysis.Division);
  if (analysis.Extended) {
    analysis.Exact = Makeexactplan(d, analysis.Division);
    Observeothers(analysis.Exact, analysis.Stats);
    analysis.Shares = Exactpvalues(d, analysis.Division, analysis.Exact.Nearest);
  }
  reporter.Observed(analysis);
}

void Test(Analysis &analysis, std::int32_t lineups, Analysisreporter &reporter, Fastoptions options) {
  analysis.Lineups = lineups;
  reporter.Testing(analysis);
  if (analysis.Extended) options.Exact = &analysis.Exact;
  analysis.Counts = Testlineups(analysis.Differences, analysis.Division, Testedvalues(analysis.Stats), lineups,
                                analysis.Generator, options);
  reporter.Tested(analysis);
}

void Runanalysis(Analysis &analysis, const Samplesource &source, Answers &answers, Analysisreporter &reporter,
                 const Fastoptions &options) {
  Readsample(analysis, source, answers, reporter);
  Describe(analysis, reporter);
  answers.Pause();
  analysis.Division = answers.Division(analysis.Pop(), reporter);
  Observe(analysis, reporter);
  Test(analysis, answers.Lineups(), reporter, options);
}

}  // namespace halvik
