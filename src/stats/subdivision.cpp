#include "stats/subdivision.h"

#include "stats/estimators.h"

namespace halvik {

double Weightedwithin(Rangeestimator estimator, const Distances &distances, const Localities &division,
                      const Lineup &lineup, double *each) {
  double sum = 0.0;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    const double value = estimator(distances, division.Start[k], division.Start[k + 1] - 1, lineup);
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
    s.Pi[k] = Piij(distances, division.Start[k], division.Start[k + 1] - 1, lineup);
  s.Pi[0] = Piij(distances, 1, n, lineup);

  s.Ks = Weightedwithin(Kj, distances, division, lineup, s.K.data());
  s.Kt = s.K[0] = Kj(distances, 1, n, lineup);
  s.Kst = 1.0 - s.Ks / s.Kt;

  s.Fs = s.Ks;
  s.Ft = Fbetween(distances, division.Start, division.Count, lineup);
  s.Fst = 1.0 - s.Fs / s.Ft;

  s.Ksstar = Weightedwithin(Kjstar, distances, division, lineup, s.Kstar.data());
  s.Ktstar = s.Kstar[0] = Kjstar(distances, 1, n, lineup);
  s.Kststar = 1.0 - s.Ksstar / s.Ktstar;

  s.Fsstar = s.Ksstar;
  s.Fbstar = Fbetweenstar(distances, division.Start, division.Count, lineup);
  s.Fsbstar = 1.0 - s.Fsstar / s.Fbstar;
  return s;
}

Observed Testedvalues(const Subdivision &stats) {
  return Observed{stats.Kt, stats.Kst, stats.Fst, stats.Ktstar, stats.Kststar, stats.Fsbstar};
}

}  // namespace halvik
