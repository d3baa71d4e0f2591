// Exact P values for small samples: every division of the records into
// localities of the observed sizes, each visited once.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "stats/distances.h"
#include "stats/localities.h"
#include "stats/neighbours.h"
#include "stats/observed.h"

namespace halvik {

// The six statistics a division is tested on, in the engine's order: its
// four, then Snn and ΦST.
enum Exactid : int {
  Exactkst = Testkst,
  Exactfst = Testfst,
  Exactkststar = Testkststar,
  Exactfsbstar = Testfsbstar,
  Exactsnn = Testsnn,
  Exactphist = Testphist,
  Exactcount = Testedcount
};

// Samples with at most this many divisions are enumerated.
inline constexpr std::int64_t Enumerationlimit = 1000000;

// N! / prod_k n_k!: the divisions with the sizes of `division`, the
// localities labelled; nothing when there are more than Enumerationlimit.
std::optional<std::int64_t> Divisioncount(const Localities &division);

struct Exactshares {
  std::int64_t Divisions = 0;                    // visited; 0 when not enumerated
  std::array<std::int64_t, Exactcount> Count{};  // divisions at least the observed
  std::array<double, Exactcount> Share{};        // Count / Divisions, or NaN
  std::array<double, Exactcount> Observed{};     // the observed values, from the exact sums
};

// The share of divisions whose statistic is at least the observed one. Kst,
// Fst, K*st and F*sb count a division whose value is at least the observed
// one less 1e-12 max(1, |observed|), both computed from exact sums the same
// way; Snn and ΦST compare exactly. NaN for one locality, more than
// Enumerationlimit divisions, or a NaN observed value. About 0.2 to 0.4 µs per
// division: the sums of the largest locality follow from the others', so
// each step costs in proportion to the records outside it.
Exactshares Exactpvalues(const Distances &distances, const Localities &division, const Neighbours &neighbours);

}  // namespace halvik
