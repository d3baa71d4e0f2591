// The log-transformed means added pair by pair in the estimators' order, for
// lineups whose bounds could not decide them, or whose values are all wanted.
// Each such sum is one chain of dependent additions; the sums of several
// lineups run side by side, so that their chains overlap instead of waiting
// on each other.
#pragma once
#include <cstdint>

#include "stats/fast/tail.h"
#include "stats/localities.h"

namespace halvik {

// What the sums read: the difference table (rows `N` cells long, records
// from 0), the term of each difference value, and the same terms with their
// roundings.
struct Exactterms {
  const std::uint16_t *Cells;
  std::int32_t N;
  const double *Terms;
  const Tailplan *Tail;
};

constexpr int Maxlanes = 8;

// The lineups of up to Maxlanes lanes side by side: the record (from 0) at
// position p of lane j's lineup is lanes[(p - 1) * Maxlanes + j], so that one
// line of memory holds a position of every lane.

// Kjstar over positions first..last (from 1) of each of `count` lanes, at
// most Maxlanes, into means[0..count-1]. When `units` is given, the rounded
// terms of the same pairs go there (see Tounits); when `diffs` is given, the
// sums of d.
void Withinstars(const Exactterms &terms, const std::uint16_t *lanes, int count, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *units, std::int64_t *diffs = nullptr);

// How many sums between localities ended early, and how many were added
// again in full because the shortcut failed its checks.
struct Earlyends {
  int Finished = 0, Retried = 0;
};

// Fbetweenstar of each of `count` lanes. Where `withinunits` gives every
// lane's rounded terms within localities, the sums may stop early (see
// tail.h).
Earlyends Betweenstars(const Exactterms &terms, const std::uint16_t *lanes, int count, const Starttable &start,
                       std::int32_t localities, const std::int64_t *withinunits, double *means);

}  // namespace halvik
