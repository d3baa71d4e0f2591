// Everything a lineup's evaluation reads, made once per test and shared
// read-only by every worker.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "stats/distances.h"
#include "stats/fast/bounds.h"
#include "stats/fast/tail.h"
#include "stats/lineupsums.h"
#include "stats/localities.h"
#include "stats/observed.h"

namespace halvik {

// Samples of up to this many sequences gather from a packed table (see
// Pairtable), which saves a look-up per pair while the table stays in the
// second-level cache (bench/tuning_bench.cpp measures both ways).
inline constexpr std::int32_t Packedseqs = 256;

struct Plan {
  const Distances *Dist;
  std::int32_t N, Count;
  Starttable Start;
  std::array<double, Maxlocalities + 2> Weight, Pairs;  // Pairs as the estimators divide by
  std::array<std::int64_t, Maxlocalities + 2> Paircount;
  std::int32_t Betweenpairs;
  // The fixed-point images of Dist->Logs, in units of 2^-Shift. Every sum of
  // images, up to the total over all pairs, stays below 2^61, so that the
  // bounds may double it and add the number of terms.
  int Shift;
  std::vector<std::int64_t> Images;
  // The table with each cell's image and difference in one word, for samples
  // of at most Packedseqs sequences; empty otherwise.
  std::vector<std::uint64_t> Packed;
  // The bounds' scales for the log sums within each locality and between.
  std::array<Boundscale, Maxlocalities + 2> Withinscale;
  Boundscale Betweenscale;
  // A locality whose sums follow from the others' and the row totals, when
  // that is cheaper than adding its own pairs (a large locality); 0 if none.
  int Derived;
  // Whether a lineup's records are sorted by locality before their pairs are
  // gathered, so that every row is walked forwards: worth its cost only for
  // a table too large for the second-level cache.
  bool Grouped;
  std::int64_t Totaldiff, Totallog;
  std::vector<std::int64_t> Rowdiff, Rowlog;  // per record, from 0
  Observed Obs;
  // Whether the starred results rise and fall with their sums as the bounds
  // assume: positive weights, and a positive K*t to divide by.
  bool Monotoneweights, Monotonekstar;
  // Whether every lineup's four values are wanted: each is then computed in
  // the estimators' order, not decided from bounds.
  bool Everyvalue;
  // The terms, with their roundings for ending between-locality sums early.
  Tailplan Tail;
  // The statistics counted from exact sums, when they are wanted, and the
  // division they place the records by.
  const Exactplan *Exact = nullptr;
  const Localities *Division = nullptr;
};

Plan Makeplan(const Distances &distances, const Localities &division, const Observed &observed, bool everyvalue);

}  // namespace halvik
