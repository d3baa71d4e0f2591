// The observed subdivision statistics of a confirmed division.
#pragma once
#include <array>
#include <cstdint>
#include <limits>

#include "stats/distances.h"
#include "stats/localities.h"
#include "stats/observed.h"
#include "stats/observed.h"

namespace halvik {

// The twelve statistics, and the means they are made of: Pi, K and K* of
// each locality k = 1..Count, and of the whole sample at index 0.
//   Ks = sum w_k K_k, Kt = K of the whole sample, Kst = 1 - Ks / Kt
//     (Hudson, Boos and Kaplan 1992, Mol. Biol. Evol. 9:138-151);
//   Fs = Ks, Ft = F_b, Fst = 1 - Fs / Ft (Hudson, Slatkin and Maddison 1992,
//     Genetics 132:583-589, with the weights w_k = n_k / N);
//   the starred forms the same with K* and F*_b.
struct Subdivision {
  double Ks, Kt, Kst;
  double Fs, Ft, Fst;
  double Ksstar, Ktstar, Kststar;
  double Fsstar, Fbstar, Fsbstar;
  std::array<double, Maxlocalities + 1> Pi, K, Kstar;
  // The tested statistics counted from exact sums (Snn, ΦST), by Testedid:
  // NaN unless they were asked for (the dialogue does not show them).
  std::array<double, Testedcount> Others = Nans();

  static std::array<double, Testedcount> Nans() {
    std::array<double, Testedcount> nans;
    nans.fill(std::numeric_limits<double>::quiet_NaN());
    return nans;
  }
};

using Rangeestimator = double (*)(const Distances &, std::int32_t, std::int32_t, const Lineup &);

// The sum over the localities, in order, of the estimator's value times the
// locality's weight; each product is rounded before it is added. Each
// locality's value goes to each[k] when that is given.
double Weightedwithin(Rangeestimator estimator, const Distances &distances, const Localities &division,
                      const Lineup &lineup, double *each = nullptr);

// The twelve statistics, and the means they are made of, for the sequences
// in file order.
Subdivision Subdivisionstats(const Distances &distances, const Localities &division);

// The values the permutation test compares its lineups with.
Observed Testedvalues(const Subdivision &stats);

}  // namespace halvik
