// Sums over the pairs of a set of records, from the difference table: the
// inner loop of the permutation test.
#pragma once
#include <cstdint>

namespace halvik {

// The sum of the pairs' d and of the fixed-point images of their ln(1 + d).
struct Pairsums {
  std::int64_t Diff = 0, Log = 0;
};

// A table of pair differences, rows `rowlength` cells long, and the image of
// each difference value. Where Packed is set, it holds the same table with
// each cell's image and difference in one word (see Packcell), which saves
// a look-up per pair; a row's differences must then add up to less than
// 2^Packedshift, and its images to less than 2^(64 - Packedshift).
struct Pairtable {
  const std::uint16_t *Cells;
  std::int32_t Rowlength;
  const std::int64_t *Images;
  const std::uint64_t *Packed = nullptr;
};

constexpr int Packedshift = 24;

inline std::uint64_t Packcell(std::uint16_t diff, std::int64_t image) {
  return static_cast<std::uint64_t>(image) << Packedshift | diff;
}

// Over every pair i < j of members[0..size-1]: the cell in row members[i],
// column members[j]. Members are row numbers from 0.
Pairsums Gathertriangle(const Pairtable &table, const std::int32_t *members, std::int32_t size);
// Over every row of `rows` and column of `columns`.
Pairsums Gatherrectangle(const Pairtable &table, const std::int32_t *rows, std::int32_t nrows,
                         const std::int32_t *columns, std::int32_t ncolumns);

}  // namespace halvik
