#include "stats/permutation.h"

#include <array>

#include "driver/console/readint.h"
#include "driver/console/sinks.h"
#include "stats/estimators.h"
#include "stats/random.h"
#include "stats/subdivision.h"

namespace halvik {

namespace {

// Fills positions 1..n with a random permutation of 1..n: each position takes
// the first draw of Rnd(1, n) not already placed. The table of placed numbers
// gives the same draws as comparing each with the earlier positions.
void Shuffle(Lineup &lineup, std::int32_t n) {
  std::array<bool, Maxseqs + 1> placed{};
  for (std::int32_t i = 1; i <= n; ++i) lineup[i] = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    std::int32_t v;
    do v = Rnd(1, n);
    while (placed[v]);
    placed[v] = true;
    lineup[i] = v;
  }
}

void Pline(const char *label, std::int32_t count, std::int32_t lineups, bool tab) {
  Textsink &sink = tab ? Outfile : Console;
  Writestr(sink, label);
  if (tab) Writech(sink, '\t');
  Writereal(sink, static_cast<double>(count) / static_cast<double>(lineups), 8, 6);
  Writeln(sink);
}

}  // namespace

void Countlineup(const Distances &distances, const Localities &division, const Observed &observed, const Lineup &lineup,
                 Lineupcounts &counts) {
  // A not-a-number on either side compares false and is not counted.
  const double ks = Weightedwithin(Kj, distances, division, lineup, false);
  if (1.0 - ks / observed.Kt >= observed.Kst) ++counts.Kst;
  const double ft = Fbetween(distances, division.Start, division.Count, lineup);
  if (1.0 - ks / ft >= observed.Fst) ++counts.Fst;
  const double ksstar = Weightedwithin(Kjstar, distances, division, lineup, false);
  if (1.0 - ksstar / observed.Ktstar >= observed.Kststar) ++counts.Kststar;
  const double fbstar = Fbetweenstar(distances, division.Start, division.Count, lineup);
  if (1.0 - ksstar / fbstar >= observed.Fsbstar) ++counts.Fsbstar;
}

Lineupcounts Literalcounts(const Distances &distances, const Localities &division, const Observed &observed,
                           std::int32_t lineups) {
  const std::int32_t n = distances.Diffs.Size;
  Lineupcounts counts;
  Lineup lineup{};
  for (std::int32_t r = 1; r <= lineups; ++r) {
    Shuffle(lineup, n);
    Countlineup(distances, division, observed, lineup, counts);
  }
  return counts;
}

std::int32_t Asklineups() {
  Writestr(Console, "How many randomized sequence lineups would you like performed? ");
  return Readint(1, Boundlimit);
}

Lineupcounts Testlineups(const Distances &distances, const Localities &division, const Observed &observed,
                         std::int32_t lineups, const Fastoptions &options) {
  Writestr(Outfile, "Number of randomized sequence lineups:  ");
  Writech(Outfile, '\t');
  Writeint(Outfile, lineups, 5);
  Writeln(Outfile);

  // The engine takes the generator over; its first draw would seed it.
  if (!Generatorseeded && distances.Diffs.Size >= 2) Randomize();
  // The fast engine gives the counts of Literalcounts over the same draws.
  const Lineupcounts counts = Fastcounts(distances, division, observed, lineups, Generator, options);

  for (bool tab : {false, true}) {
    Pline("P(Kst) = ", counts.Kst, lineups, tab);
    Pline("P(Fst) = ", counts.Fst, lineups, tab);
    Pline("P(K*st) = ", counts.Kststar, lineups, tab);
    Pline("P(F*st) = ", counts.Fsbstar, lineups, tab);
  }
  return counts;
}

}  // namespace halvik
