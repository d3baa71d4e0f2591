// Sums of packed pair cells over the pairs of a set of records: the inner
// loop of the permutation test.
#pragma once
#include <cstdint>

namespace halvik {

// A pair cell holds the pair's d in its low Diffbits bits and the fixed-point
// image of ln(1 + d) above them.
inline constexpr int Diffbits = 24;
inline constexpr std::uint64_t Diffmask = (std::uint64_t{1} << Diffbits) - 1;

struct Packedsum {
  std::int64_t Diff = 0, Log = 0;
};

// Over every pair i < j of members[0..size-1], the cell in row members[i] and
// column members[j] of `cells` (rows `rowlength` cells long). Members are
// row numbers from 0; no row may add more than rowlength - 1 cells whose
// fields overflow, which the cells' scales guarantee.
Packedsum Gathertriangle(const std::uint64_t *cells, std::int32_t rowlength, const std::int32_t *members,
                         std::int32_t size);
// Over every row of `rows` and column of `columns`.
Packedsum Gatherrectangle(const std::uint64_t *cells, std::int32_t rowlength, const std::int32_t *rows,
                          std::int32_t nrows, const std::int32_t *columns, std::int32_t ncolumns);

// Tests: 0 forces the portable loop, 1 allows the AVX2 loop where the
// processor has it (the default).
void Allowvectorgather(bool allow);

}  // namespace halvik
