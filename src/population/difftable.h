// The number of differing stored sites for every two sequences of a sample,
// counted once per analysis so that a randomized lineup costs one look-up per
// pair instead of a comparison over all S sites.
#pragma once
#include <cstdint>
#include <vector>

#include "store/store.h"

namespace halvik {

// Row-major over records 1..Size with rows Size cells long: records x and y
// meet in cell (x-1)*Size + (y-1). Rows of the sample's own length keep the
// table compact in cache (2 MB at 1000 sequences). 16 bits hold any count up
// to Maxsegsites. Symmetric, zero on the diagonal.
struct Differencetable {
  std::int32_t Size = 0;
  std::vector<std::uint16_t> Cells;

  std::uint16_t operator()(std::int32_t x, std::int32_t y) const {
    return Cells[static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(Size) + static_cast<std::size_t>(y - 1)];
  }
};

// Sitesdiff of every two of records 1..Numseqs of `pop` over sites
// 1..Numsegsites, with the processor's vector popcount if it has one and
// `vectors` is not 128 (tests compare both). With `calledonly`, a site counts
// for a pair only where both carry a base (A, C, G or T).
Differencetable Builddifftable(const Population &pop, int vectors = 0, bool calledonly = false);

// For every two records, the positions 1..length where both carry a base,
// given each record's positions holding N or - (in order): row-major over
// records 1..n as the difference table lays its cells.
std::vector<std::int32_t> Sharedpositions(const std::vector<std::vector<std::int32_t>> &missing, std::int32_t length);

}  // namespace halvik
