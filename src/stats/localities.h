// Lineups and the division of the sequences into localities.
#pragma once
#include <array>
#include <cstdint>

#include "store/store.h"

namespace halvik {


// Position p (1..N) holds the number of the record that stands there.
using Lineup = std::array<std::int32_t, Maxseqs + 1>;
// Entry k (1..count) is the first position of locality k; entry count+1 is N+1.
using Starttable = std::array<std::int32_t, Maxlocalities + 2>;

// A confirmed division.
struct Localities {
  Starttable Start{};
  std::int32_t Count = 0;
  std::array<double, Maxlocalities + 1> Weight{};  // w_k = n_k / N, k = 1..Count
};

// Position p holds sequence p, for p = 1..n.
Lineup Identitylineup(std::int32_t n);

// The division into localities starting at the given positions (the first
// is 1) of n sequences, with the weights n_k / N.
Localities Dividedat(const std::int32_t *starts, std::int32_t count, std::int32_t n);

}  // namespace halvik
