// Lineups and the division of the sequences into localities.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

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

// What keeps the localities that start at `starts` (the first sequence of
// each, in order) from dividing n sequences: the first must start at 1, the
// starts must rise, there may be at most Maxlocalities, and each must hold
// two sequences or more. With n = 0 only what does not depend on n is checked.
struct Divisionfault {
  enum Kinds { None, Firstnotone, Notrising, Toomany, Beyondend, Toosmall } Kind = None;
  std::int32_t Locality = 0;       // the locality concerned, from 1
  std::int32_t First = 0, Last = 0;  // its sequences
};
Divisionfault Checkdivision(const std::vector<std::int32_t> &starts, std::int32_t n);

// The division the dialogue asks for, one answer at a time: whether `count`
// localities fit n sequences, and whether locality k may start at `start`
// after the starts already given, leaving two sequences for each locality.
bool Countfits(std::int32_t count, std::int32_t n);
bool Startfits(std::vector<std::int32_t> starts, std::int32_t start, std::int32_t count, std::int32_t n);

}  // namespace halvik
