// The end of a between-locality log sum without adding all its terms in
// order. A sum of non-negative doubles, added one at a time from 0.0, only
// grows; once it has reached 2^F, and while it stays below 2^(F+1), each
// addition rounds to a whole number of units u = 2^(F-52), so it adds exactly
// the term rounded to units (unless the term lies halfway between two units,
// where the rounding looks at the sum). Those additions do not depend on the
// order.
//
// A sum that ends in [2^E, 2^(E+1)) is added in order up to 2^E, and its rest
// follows from totals: the rounded terms of every pair, less those within
// localities (summed anyway), less those already added. That skips the last
// 1 - 1/x of the pairs for a sum ending at x 2^E. Where x is small, it pays
// to stop at 2^F = 2^(E-1) instead and find the row where the sum crosses 2^E
// from the end backwards: the pairs after it in units of 2^E, the pairs
// before it in units of 2^F from the totals; only that row is added in order.
#pragma once
#include <cstdint>
#include <vector>

#include "stats/distances.h"

namespace halvik {

// A term and the same term rounded to units of 2^F, added together in one
// instruction: a sum of these carries the floating sum as the estimators
// form it and, exactly while it stays below 2^(F+1), the sum of the rounded
// terms.
typedef double Termpair __attribute__((vector_size(16)));
// A term's roundings to units of 2^F and of 2^E, as whole numbers.
typedef long long Unitpair __attribute__((vector_size(16)));

struct Tailplan {
  // False where no lineup can use the shortcut: no pairs between localities,
  // sums too small to matter, a present term halfway between two units, or
  // totals too large for 64 bits.
  bool Usable = false;
  // Whether sums stop at 2^(E-1) and the crossing of 2^E is found from the
  // end (F = E - 1), or they stop at 2^E (F = E).
  bool Backwards = false;
  double Reach = 0.0, Limit = 0.0;  // 2^F and 2^(F+1)
  double Scale = 0.0;               // units of 2^F per 1.0: 2^(52-F)
  std::int64_t Totalunits = 0;      // the rounded terms of every pair, units of 2^F
  std::vector<Termpair> Pairs;      // by d: ln(1 + d) and its rounding
  std::vector<Unitpair> Units;      // by d, when Backwards
};

// The shortcut for sums near `expected`, the between-locality log sum of a
// random lineup on average.
Tailplan Maketail(const Distances &distances, double expected);

// The rounded terms of a sum of Termpairs in units: -1 if they reached
// 2^(F+1), where their sum is no longer exact.
std::int64_t Tounits(const Tailplan &tail, Termpair sum);

// Whether a between-locality sum whose within-locality rounded terms come to
// `withinunits` ends in [2^E, 2^(E+1)) by a clear margin, so that stopping
// pays.
bool Endsintail(const Tailplan &tail, std::int64_t withinunits);

// Stopped at 2^E: the whole sum, from a sum of Termpairs stopped somewhere
// after it reached 2^E; NaN where the shortcut does not hold, and the sum
// must be added in order.
double Finishtail(const Tailplan &tail, Termpair stopped, std::int64_t withinunits);

// Stopped at 2^(E-1): the sum, in units of 2^F, that the pairs after a point
// would leave if they were all added in units of 2^F is this, less their
// rounded terms; -1 where the shortcut does not hold.
std::int64_t Climbbase(const Tailplan &tail, Termpair stopped, std::int64_t withinunits);

// The whole sum from its value in order at the end of the row where it
// crossed 2^E, and the rounded terms after that row in units of 2^E; NaN
// where the shortcut does not hold.
double Finishclimb(const Tailplan &tail, double rowend, std::int64_t afterunits);

}  // namespace halvik
