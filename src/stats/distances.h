// The distances between the sequences of an analysed sample, measured once
// per analysis and read by every estimator and by the permutation test.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "population/difftable.h"
#include "store/store.h"

namespace halvik {

// d of every pair of records (the difference table), and ln(1 + d) for every
// value d the table holds, as the very double std::log(1.0 + d) gives: one
// table of terms, so that a pair's starred term is the same double wherever
// it is added and no logarithm is taken per pair.
struct Distances {
  Differencetable Diffs;
  std::vector<double> Logs;  // Logs[d], d = 0..the largest d of Diffs
  std::int32_t Length = 1;   // L: pi = d / L

  double D(std::int32_t x, std::int32_t y) const { return static_cast<double>(Diffs(x, y)); }
  double Dstar(std::int32_t x, std::int32_t y) const { return Logs[Diffs(x, y)]; }
  double Pi(std::int32_t x, std::int32_t y) const { return D(x, y) / static_cast<double>(Length); }
};

// The distances of records 1..Numseqs of `pop` over its sites 1..Numsegsites.
Distances Measuredistances(const Population &pop);

}  // namespace halvik
