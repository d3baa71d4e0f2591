// Mean pairwise differences within a range of a lineup and between localities.
#pragma once
#include <array>
#include <cstdint>

#include "population/store.h"

namespace halvik {

inline constexpr int Maxlocalities = 30;

// Position p (1..N) holds the number of the record that stands there.
using Lineup = std::array<std::int32_t, Maxseqs + 1>;
// Entry k (1..count) is the first position of locality k; entry count+1 is N+1.
using Starttable = std::array<std::int32_t, Maxlocalities + 2>;

// Within positions first..last, averaged over all pairs: d, ln(1 + d), d / L.
// With echo, each writes its labelled line to the console and the results file.
double Kj(std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo);
double Kjstar(std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo);
double Piij(std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo);

// Over all pairs of positions in different localities: d and ln(1 + d).
double Fbetween(const Starttable &start, std::int32_t count, const Lineup &lineup);
double Fbetweenstar(const Starttable &start, std::int32_t count, const Lineup &lineup);

}  // namespace halvik
