#include "stats/fastgather.h"

namespace halvik {

namespace {

// One row: the cells at the given columns and their images. Four chains of
// sums keep the loads independent.
void Addrow(const Pairtable &table, std::int32_t row, const std::int32_t *columns, std::int32_t count,
            Pairsums &sums) {
  const std::uint16_t *cells = table.Cells + static_cast<std::int64_t>(row) * table.Rowlength;
  const std::int64_t *images = table.Images;
  std::int64_t d0 = 0, d1 = 0, d2 = 0, d3 = 0, l0 = 0, l1 = 0, l2 = 0, l3 = 0;
  std::int32_t j = 0;
  for (; j + 4 <= count; j += 4) {
    const std::uint16_t a = cells[columns[j]], b = cells[columns[j + 1]];
    const std::uint16_t c = cells[columns[j + 2]], d = cells[columns[j + 3]];
    d0 += a;
    d1 += b;
    d2 += c;
    d3 += d;
    l0 += images[a];
    l1 += images[b];
    l2 += images[c];
    l3 += images[d];
  }
  for (; j < count; ++j) {
    const std::uint16_t a = cells[columns[j]];
    d0 += a;
    l0 += images[a];
  }
  sums.Diff += d0 + d1 + d2 + d3;
  sums.Log += l0 + l1 + l2 + l3;
}

}  // namespace

Pairsums Gathertriangle(const Pairtable &table, const std::int32_t *members, std::int32_t size) {
  Pairsums sums;
  for (std::int32_t i = 0; i + 1 < size; ++i) Addrow(table, members[i], members + i + 1, size - i - 1, sums);
  return sums;
}

Pairsums Gatherrectangle(const Pairtable &table, const std::int32_t *rows, std::int32_t nrows,
                         const std::int32_t *columns, std::int32_t ncolumns) {
  Pairsums sums;
  for (std::int32_t i = 0; i < nrows; ++i) Addrow(table, rows[i], columns, ncolumns, sums);
  return sums;
}

}  // namespace halvik
