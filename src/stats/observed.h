// What the permutation test compares and what it counts.
#pragma once
#include <cstdint>

namespace halvik {

// The observed values the lineups are compared with: the totals Kt and K*t,
// which no lineup changes, and the four tested ratios.
struct Observed {
  double Kt, Kst, Fst, Ktstar, Kststar, Fsbstar;
};

// How many lineups gave a ratio at least as large as the observed one.
struct Lineupcounts {
  std::int32_t Kst = 0, Fst = 0, Kststar = 0, Fsbstar = 0;
  bool operator==(const Lineupcounts &) const = default;
};

}  // namespace halvik
