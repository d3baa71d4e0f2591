#include "stats/permutation.h"

#include <array>

#include "stats/estimators.h"
#include "stats/subdivision.h"

namespace halvik {

namespace {

// Fills positions 1..n with a random permutation of 1..n: each position takes
// the first draw of Rnd(1, n) not already placed. The table of placed numbers
// gives the same draws as comparing each with the earlier positions.
void Shuffle(Lineup &lineup, std::int32_t n, Mersennetwister &generator) {
  std::array<bool, Maxseqs + 1> placed{};
  for (std::int32_t i = 1; i <= n; ++i) lineup[i] = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    std::int32_t v;
    do v = 1 + static_cast<std::int32_t>(Randintwith(static_cast<std::uint64_t>(n), [&] { return Nextoutput(generator); }));
    while (placed[v]);
    placed[v] = true;
    lineup[i] = v;
  }
}

}  // namespace

void Countlineup(const Distances &distances, const Localities &division, const Observed &observed, const Lineup &lineup,
                 Lineupcounts &counts) {
  // A not-a-number on either side compares false and is not counted.
  const double ks = Weightedwithin(Kj, distances, division, lineup);
  if (1.0 - ks / observed.Kt >= observed.Kst) ++counts[Testkst];
  const double ft = Fbetween(distances, division.Start, division.Count, lineup);
  if (1.0 - ks / ft >= observed.Fst) ++counts[Testfst];
  const double ksstar = Weightedwithin(Kjstar, distances, division, lineup);
  if (1.0 - ksstar / observed.Ktstar >= observed.Kststar) ++counts[Testkststar];
  const double fbstar = Fbetweenstar(distances, division.Start, division.Count, lineup);
  if (1.0 - ksstar / fbstar >= observed.Fsbstar) ++counts[Testfsbstar];
}

Lineupcounts Literalcounts(const Distances &distances, const Localities &division, const Observed &observed,
                           std::int32_t lineups, Mersennetwister &generator) {
  const std::int32_t n = distances.Diffs.Size;
  Lineupcounts counts;
  Lineup lineup{};
  for (std::int32_t r = 1; r <= lineups; ++r) {
    Shuffle(lineup, n, generator);
    Countlineup(distances, division, observed, lineup, counts);
  }
  return counts;
}

Lineupcounts Testlineups(const Distances &distances, const Localities &division, const Observed &observed,
                         std::int32_t lineups, Mersennetwister &generator, const Fastoptions &options) {
  // The fast engine gives the counts of Literalcounts over the same draws.
  return Fastcounts(distances, division, observed, lineups, generator, options);
}

}  // namespace halvik
