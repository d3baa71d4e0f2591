#include "stats/subdivision.h"

#include "driver/globals.h"
#include "driver/textout.h"
#include "population/store.h"

namespace halvik {

namespace {

void Resultline(const char *label, double value, int columns, int decimals, bool blankafter) {
  Writestr(Console, label);
  Writereal(Console, value, columns, decimals);
  if (blankafter) Writech(Console, '\n');
  Writeln(Console);
  Writestr(Outfile, label);
  Writech(Outfile, '\t');
  Writereal(Outfile, value, columns, decimals);
  if (blankafter) Writech(Outfile, '\n');
  Writeln(Outfile);
}

// Within, total and their ratio: the two means with 5 decimals, the ratio with 6.
void Resultgroup(const char *within, double s, const char *total, double t, const char *ratio, double r,
                 bool blankafter = false) {
  Resultline(within, s, 5, 5, false);
  Resultline(total, t, 5, 5, false);
  Resultline(ratio, r, 6, 6, blankafter);
}

}  // namespace

Lineup Identitylineup(std::int32_t n) {
  Lineup lineup{};
  for (std::int32_t p = 1; p <= n; ++p) lineup[p] = p;
  return lineup;
}

double Weightedwithin(Rangeestimator estimator, const Localities &division, const Lineup &lineup, bool echo) {
  double sum = 0.0;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    const double product = estimator(division.Start[k], division.Start[k + 1] - 1, lineup, echo) * division.Weight[k];
    sum = sum + product;
  }
  return sum;
}

Subdivision Subdivisionstats(const Localities &division) {
  const std::int32_t n = Pop.Numseqs;
  const Lineup lineup = Identitylineup(n);
  Subdivision s{};
  for (std::int32_t k = 1; k <= division.Count; ++k) Piij(division.Start[k], division.Start[k + 1] - 1, lineup, true);
  Piij(1, n, lineup, true);

  s.Ks = Weightedwithin(Kj, division, lineup, true);
  s.Kt = Kj(1, n, lineup, true);
  s.Kst = 1.0 - s.Ks / s.Kt;
  Resultgroup("Ks:  ", s.Ks, "Kt:  ", s.Kt, "Kst: ", s.Kst);

  s.Fs = s.Ks;
  s.Ft = Fbetween(division.Start, division.Count, lineup);
  s.Fst = 1.0 - s.Fs / s.Ft;
  Resultgroup("Fs:  ", s.Fs, "Ft:  ", s.Ft, "Fst: ", s.Fst);

  s.Kstars = Weightedwithin(Kjstar, division, lineup, true);
  s.Kstart = Kjstar(1, n, lineup, true);
  s.Kstarst = 1.0 - s.Kstars / s.Kstart;
  Resultgroup("K*s:  ", s.Kstars, "K*t:  ", s.Kstart, "K*st: ", s.Kstarst);

  s.Fstars = s.Kstars;
  s.Fstarb = Fbetweenstar(division.Start, division.Count, lineup);
  s.Fstarsb = 1.0 - s.Fstars / s.Fstarb;
  Resultgroup("F*s:  ", s.Fstars, "F*b:  ", s.Fstarb, "F*sb: ", s.Fstarsb, true);
  return s;
}

Observed Testedvalues(const Subdivision &stats) {
  return Observed{stats.Kt, stats.Kst, stats.Fst, stats.Kstart, stats.Kstarst, stats.Fstarsb};
}

}  // namespace halvik
