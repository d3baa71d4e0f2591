// The log-transformed means added pair by pair in the estimators' order, for
// lineups whose bounds could not decide them, or whose values are all wanted.
// Each such sum is one chain of dependent additions; the sums of several
// lineups run side by side, so that their chains overlap instead of waiting
// on each other.
#pragma once
#include <cstdint>

#include "stats/localities.h"

namespace halvik {

// What the sums read: the difference table (rows `N` cells long, records
// from 0) and the term of each difference value.
struct Exactterms {
  const std::uint16_t *Cells;
  std::int32_t N;
  const double *Terms;
};

constexpr int Maxlanes = 4;

// Kjstar over positions first..last (from 1) of each of `lanes` lineups, at
// most Maxlanes, into means[0..lanes-1]; orders[j][p-1] is the record at
// position p of lineup j, counted from 0. When `diffs` is given, the sums of
// d over the same pairs go there too.
void Withinstars(const Exactterms &terms, const std::int32_t *const *orders, int lanes, std::int32_t first,
                 std::int32_t last, double *means, std::int64_t *diffs = nullptr);

// Fbetweenstar of each of `lanes` lineups.
void Betweenstars(const Exactterms &terms, const std::int32_t *const *orders, int lanes, const Starttable &start,
                  std::int32_t count, double *means);

}  // namespace halvik
