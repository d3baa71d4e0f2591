#include "stats/fastgather.h"

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

}  // namespace

Pairsums Gathertriangle(const Pairtable &table, const std::int32_t *members, std::int32_t size) {
  Chains c;
  for (std::int32_t i = 0; i + 1 < size; ++i) Addrow(table, members[i], members + i + 1, size - i - 1, c);
  return c.Total();
}

Pairsums Gatherrectangle(const Pairtable &table, const std::int32_t *rows, std::int32_t nrows,
                         const std::int32_t *columns, std::int32_t ncolumns) {
  Chains c;
  for (std::int32_t i = 0; i < nrows; ++i) Addrow(table, rows[i], columns, ncolumns, c);
  return c.Total();
}

}  // namespace halvik
