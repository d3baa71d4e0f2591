#include "stats/fast/gather.h"

namespace halvik {

namespace {

// Four chains of sums keep the loads independent; they run on across rows,
// which are often short, and meet only at the end.
struct Chains {
  std::int64_t D0 = 0, D1 = 0, D2 = 0, D3 = 0, L0 = 0, L1 = 0, L2 = 0, L3 = 0;
  Pairsums Total() const { return {D0 + D1 + D2 + D3, L0 + L1 + L2 + L3}; }
};

// One row: the cells at the given columns and their images.
[[gnu::always_inline]] inline void Addrow(const Pairtable &table, std::int32_t row, const std::int32_t *columns,
                                          std::int32_t count, Chains &c) {
  const std::uint16_t *cells = table.Cells + static_cast<std::int64_t>(row) * table.Rowlength;
  const std::int64_t *images = table.Images;
  std::int32_t j = 0;
  for (; j + 4 <= count; j += 4) {
    const std::uint16_t a = cells[columns[j]], b = cells[columns[j + 1]];
    const std::uint16_t e = cells[columns[j + 2]], f = cells[columns[j + 3]];
    c.D0 += a;
    c.D1 += b;
    c.D2 += e;
    c.D3 += f;
    c.L0 += images[a];
    c.L1 += images[b];
    c.L2 += images[e];
    c.L3 += images[f];
  }
  for (; j < count; ++j) {
    const std::uint16_t a = cells[columns[j]];
    c.D0 += a;
    c.L0 += images[a];
  }
}

// One row of packed cells, whose sum parts into the two sums.
[[gnu::always_inline]] inline void Addpacked(const Pairtable &table, std::int32_t row, const std::int32_t *columns,
                                             std::int32_t count, Chains &c) {
  const std::uint64_t *cells = table.Packed + static_cast<std::int64_t>(row) * table.Rowlength;
  std::uint64_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  std::int32_t j = 0;
  for (; j + 4 <= count; j += 4) {
    s0 += cells[columns[j]];
    s1 += cells[columns[j + 1]];
    s2 += cells[columns[j + 2]];
    s3 += cells[columns[j + 3]];
  }
  for (; j < count; ++j) s0 += cells[columns[j]];
  const std::uint64_t sum = s0 + s1 + s2 + s3;
  c.D0 += static_cast<std::int64_t>(sum & ((std::uint64_t{1} << Packedshift) - 1));
  c.L0 += static_cast<std::int64_t>(sum >> Packedshift);
}

}  // namespace

// Not vectorised: without a gather instruction, the compiler's vectors
// would fetch the cells one lane at a time, slower than plain loads.
[[gnu::optimize("no-tree-vectorize")]] Pairsums Gathertriangle(const Pairtable &table, const std::int32_t *members,
                                                               std::int32_t size) {
  Chains c;
  if (table.Packed != nullptr)
    for (std::int32_t i = 0; i + 1 < size; ++i) Addpacked(table, members[i], members + i + 1, size - i - 1, c);
  else
    for (std::int32_t i = 0; i + 1 < size; ++i) Addrow(table, members[i], members + i + 1, size - i - 1, c);
  return c.Total();
}

[[gnu::optimize("no-tree-vectorize")]] Pairsums Gatherrectangle(const Pairtable &table, const std::int32_t *rows,
                                                                std::int32_t nrows, const std::int32_t *columns,
                                                                std::int32_t ncolumns) {
  Chains c;
  if (table.Packed != nullptr)
    for (std::int32_t i = 0; i < nrows; ++i) Addpacked(table, rows[i], columns, ncolumns, c);
  else
    for (std::int32_t i = 0; i < nrows; ++i) Addrow(table, rows[i], columns, ncolumns, c);
  return c.Total();
}

}  // namespace halvik
