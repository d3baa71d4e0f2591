// The end of a between-locality log sum without adding its last terms in
// order. A sum of non-negative doubles, added one at a time from 0.0, only
// grows; once it has reached 2^E, and while it stays below 2^(E+1), each
// addition rounds to a whole number of units u = 2^(E-52), so it adds exactly
// the term rounded to units (unless the term lies halfway between two units,
// where the rounding looks at the sum). The rest of the sum is then a sum of
// whole numbers of units, which does not depend on the order: the total of
// the rounded terms over every pair, less those within localities, less those
// already added.
#pragma once
#include <cstdint>
#include <vector>

#include "stats/distances.h"

namespace halvik {

// A term and the same term rounded to units, added together in one
// instruction: a sum of these carries the floating sum as the estimators
// form it and, exactly while it stays below 2^(E+1), the sum of rounded terms.
typedef double Termpair __attribute__((vector_size(16)));

struct Tailplan {
  // False where no lineup can use the shortcut: no pairs between localities,
  // sums too small to matter, a present term halfway between two units, or
  // totals too large for 64 bits.
  bool Usable = false;
  double Reach = 0.0, Limit = 0.0;  // 2^E and 2^(E+1)
  double Scale = 0.0;               // units per 1.0: 2^(52-E)
  std::int64_t Totalunits = 0;      // the rounded terms of every pair, in units
  std::vector<Termpair> Pairs;      // by d: ln(1 + d) and its rounding
};

// The shortcut for sums near `expected`, the between-locality log sum of a
// random lineup on average.
Tailplan Maketail(const Distances &distances, double expected);

// The rounded terms of a sum of Termpairs in units: -1 if they reached 2^(E+1),
// where their sum is no longer exact.
std::int64_t Tounits(const Tailplan &tail, Termpair sum);

// Whether a between-locality sum whose within-locality rounded terms come to
// `withinunits` ends in [2^E, 2^(E+1)) by a clear margin, so that stopping at
// 2^E pays.
bool Endsintail(const Tailplan &tail, std::int64_t withinunits);

// The whole sum, from a sum of Termpairs stopped somewhere after it reached
// 2^E; NaN where the shortcut does not hold, and the sum must be finished in
// order.
double Finishtail(const Tailplan &tail, Termpair stopped, std::int64_t withinunits);

}  // namespace halvik
