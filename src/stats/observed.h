// What the permutation test compares and what it counts.
#pragma once
#include <array>
#include <cstdint>

namespace halvik {

// The tested statistics, in the order every count, table column, null table
// and picture lists them (their names and labels: stats/tested.h). The
// dialogue tests the first four.
enum Testedid : int { Testkst, Testfst, Testkststar, Testfsbstar, Testsnn, Testphist, Testedcount };

// The observed values the lineups are compared with: the totals Kt and K*t,
// which no lineup changes, and the four tested ratios.
struct Observed {
  double Kt, Kst, Fst, Ktstar, Kststar, Fsbstar;
};

// How many lineups gave each statistic a value at least the observed one.
struct Lineupcounts {
  std::array<std::int32_t, Testedcount> Count{};
  std::int32_t &operator[](int id) { return Count[static_cast<std::size_t>(id)]; }
  std::int32_t operator[](int id) const { return Count[static_cast<std::size_t>(id)]; }
  bool operator==(const Lineupcounts &) const = default;
};

}  // namespace halvik
