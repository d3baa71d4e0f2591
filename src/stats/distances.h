// The distances between the sequences of an analysed sample, measured once
// per analysis and read by every estimator and by the permutation test.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "population/difftable.h"
#include "store/store.h"
#include "store/wide.h"

namespace halvik {

// d of every pair, in one of two layouts:
// - Whole numbers (every policy but pairwise deletion): the difference table,
//   and ln(1 + d) for every value d it holds, as the very double
//   std::log(1.0 + d) gives: one table of terms, so that a pair's starred term
//   is the same double wherever it is added and no logarithm is taken per pair.
// - Ratios (pairwise deletion, where d is a pair's differences scaled to the
//   whole length): each pair's d and ln(1 + d), row-major as the difference
//   table lays its cells. Diffs then holds only the size.
struct Distances {
  Differencetable Diffs;
  std::vector<double> Logs;  // Logs[d], d = 0..the largest d of Diffs
  std::int32_t Length = 1;   // L: pi = d / L
  std::vector<double> Ratios, Ratiologs;

  std::int32_t Size() const { return Diffs.Size; }
  bool Whole() const { return Ratios.empty(); }
  std::size_t Cell(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(Diffs.Size) + static_cast<std::size_t>(y - 1);
  }
  double D(std::int32_t x, std::int32_t y) const {
    return Whole() ? static_cast<double>(Diffs(x, y)) : Ratios[Cell(x, y)];
  }
  double Dstar(std::int32_t x, std::int32_t y) const { return Whole() ? Logs[Diffs(x, y)] : Ratiologs[Cell(x, y)]; }
  double Pi(std::int32_t x, std::int32_t y) const { return D(x, y) / static_cast<double>(Length); }

  // d exactly, in units of 2^-Unitshift(): sums of these are exact in any
  // order. A ratio that is not 0 is at least 1 (a pair's differences times L
  // over its shared positions, at most L), so 52 bits below the point hold
  // it whole.
  int Unitshift() const { return Whole() ? 0 : 52; }
  Wide Units(std::int32_t x, std::int32_t y) const {
    return Whole() ? Wide{Diffs(x, y)} : static_cast<Wide>(std::ldexp(Ratios[Cell(x, y)], 52));
  }
};

// The distances of records 1..Numseqs of `pop` over its sites 1..Numsegsites,
// with pi = d / `length` (L, or the positions kept under complete deletion).
Distances Measuredistances(const Population &pop, std::int32_t length);
Distances Measuredistances(const Population &pop);

// Under pairwise deletion: a pair's differences at the sites where both carry
// a base, times L, over the positions where both carry one (`shared`, from
// Sharedpositions): the product formed exactly, then one division, so that
// equal ratios give equal doubles. Refuses a pair that shares no position.
Distances Measureratios(const Population &pop, const std::vector<std::int32_t> &shared);

}  // namespace halvik
