#include "stats/subdivision.h"

#include "driver/console/sinks.h"
#include "stats/estimators.h"

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

double Weightedwithin(Rangeestimator estimator, const Distances &distances, const Localities &division,
                      const Lineup &lineup, bool echo, double *each) {
  double sum = 0.0;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    const double value = estimator(distances, division.Start[k], division.Start[k + 1] - 1, lineup, echo);
    if (each != nullptr) each[k] = value;
    const double product = value * division.Weight[k];
    sum = sum + product;
  }
  return sum;
}

Subdivision Subdivisionstats(const Distances &distances, const Localities &division) {
  const std::int32_t n = distances.Diffs.Size;
  const Lineup lineup = Identitylineup(n);
  Subdivision s{};
  for (std::int32_t k = 1; k <= division.Count; ++k)
    s.Pi[k] = Piij(distances, division.Start[k], division.Start[k + 1] - 1, lineup, true);
  s.Pi[0] = Piij(distances, 1, n, lineup, true);

  s.Ks = Weightedwithin(Kj, distances, division, lineup, true, s.K.data());
  s.Kt = s.K[0] = Kj(distances, 1, n, lineup, true);
  s.Kst = 1.0 - s.Ks / s.Kt;
  Resultgroup("Ks:  ", s.Ks, "Kt:  ", s.Kt, "Kst: ", s.Kst);

  s.Fs = s.Ks;
  s.Ft = Fbetween(distances, division.Start, division.Count, lineup);
  s.Fst = 1.0 - s.Fs / s.Ft;
  Resultgroup("Fs:  ", s.Fs, "Ft:  ", s.Ft, "Fst: ", s.Fst);

  s.Ksstar = Weightedwithin(Kjstar, distances, division, lineup, true, s.Kstar.data());
  s.Ktstar = s.Kstar[0] = Kjstar(distances, 1, n, lineup, true);
  s.Kststar = 1.0 - s.Ksstar / s.Ktstar;
  Resultgroup("K*s:  ", s.Ksstar, "K*t:  ", s.Ktstar, "K*st: ", s.Kststar);

  s.Fsstar = s.Ksstar;
  s.Fbstar = Fbetweenstar(distances, division.Start, division.Count, lineup);
  s.Fsbstar = 1.0 - s.Fsstar / s.Fbstar;
  Resultgroup("F*s:  ", s.Fsstar, "F*b:  ", s.Fbstar, "F*sb: ", s.Fsbstar, true);
  return s;
}

Observed Testedvalues(const Subdivision &stats) {
  return Observed{stats.Kt, stats.Kst, stats.Fst, stats.Ktstar, stats.Kststar, stats.Fsbstar};
}

}  // namespace halvik
