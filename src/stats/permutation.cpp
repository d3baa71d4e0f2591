#include "stats/permutation.h"

#include "driver/globals.h"
#include "driver/readint.h"
#include "driver/textout.h"
#include "population/store.h"
#include "stats/fastcounts.h"
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

void Countlineup(const Localities &division, const Observed &observed, const Lineup &lineup, Lineupcounts &counts) {
  // A not-a-number on either side compares false and is not counted.
  const double ks = Weightedwithin(Kj, division, lineup, false);
  if (1.0 - ks / observed.Kt >= observed.Kst) ++counts.Kst;
  const double ft = Fbetween(division.Start, division.Count, lineup);
  if (1.0 - ks / ft >= observed.Fst) ++counts.Fst;
  const double kstars = Weightedwithin(Kjstar, division, lineup, false);
  if (1.0 - kstars / observed.Kstart >= observed.Kstarst) ++counts.Kstarst;
  const double fstarb = Fbetweenstar(division.Start, division.Count, lineup);
  if (1.0 - kstars / fstarb >= observed.Fstarsb) ++counts.Fstarsb;
}

Lineupcounts Literalcounts(const Localities &division, const Observed &observed, std::int32_t lineups) {
  const std::int32_t n = Pop.Numseqs;
  Lineupcounts counts;
  Lineup lineup{};
  for (std::int32_t r = 1; r <= lineups; ++r) {
    Shuffle(lineup, n);
    Countlineup(division, observed, lineup, counts);
  }
  return counts;
}

void Permutationtest(const Localities &division, const Observed &observed) {
  Writestr(Console, "How many randomized sequence lineups would you like performed? ");
  const std::int32_t lineups = Readint(1, Boundlimit);
  Writestr(Outfile, "Number of randomized sequence lineups:  ");
  Writech(Outfile, '\t');
  Writeint(Outfile, lineups, 5);
  Writeln(Outfile);

  // The fast engine gives the counts of Literalcounts over the same draws.
  const Lineupcounts counts = Fastcounts(division, observed, lineups);

  for (bool tab : {false, true}) {
    Pline("P(Kst) = ", counts.Kst, lineups, tab);
    Pline("P(Fst) = ", counts.Fst, lineups, tab);
    Pline("P(K*st) = ", counts.Kstarst, lineups, tab);
    Pline("P(F*st) = ", counts.Fstarsb, lineups, tab);
  }
}

}  // namespace halvik
