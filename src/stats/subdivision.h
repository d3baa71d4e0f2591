// The observed subdivision statistics of a confirmed division.
#pragma once
#include <cstdint>

#include "stats/estimators.h"
#include "stats/permutation.h"

namespace halvik {

struct Subdivision {
  double Ks, Kt, Kst;
  double Fs, Ft, Fst;
  double Kstars, Kstart, Kstarst;
  double Fstars, Fstarb, Fstarsb;
};

using Rangeestimator = double (*)(std::int32_t, std::int32_t, const Lineup &, bool);

// Position p holds sequence p, for p = 1..n.
Lineup Identitylineup(std::int32_t n);

// The sum over the localities, in order, of the estimator's value times the
// locality's weight; each product is rounded before it is added.
double Weightedwithin(Rangeestimator estimator, const Localities &division, const Lineup &lineup, bool echo);

// Computes the twelve statistics for the sequences in file order and writes
// every estimator line and result line to the console and the results file.
Subdivision Subdivisionstats(const Localities &division);

// The values the permutation test compares its lineups with.
Observed Testedvalues(const Subdivision &stats);

}  // namespace halvik
