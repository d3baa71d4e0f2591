#include "stats/fast/exact.h"

namespace halvik {

namespace {

const std::uint16_t *Row(const Exactterms &terms, std::int32_t record) {
  return terms.Cells + static_cast<std::int64_t>(record) * terms.N;
}

template <int Lanes>
void Withinlanes(const Exactterms &terms, const std::int32_t *const *orders, std::int32_t first, std::int32_t last,
                 double *means) {
  double sum[Lanes] = {};
  for (std::int32_t a = first; a <= last; ++a) {
    const std::uint16_t *row[Lanes];
    for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, orders[j][a - 1]);
    for (std::int32_t b = a + 1; b <= last; ++b)
      for (int j = 0; j < Lanes; ++j) sum[j] += terms.Terms[row[j][orders[j][b - 1]]];
  }
  const std::int32_t m = last - first + 1;
  for (int j = 0; j < Lanes; ++j) means[j] = sum[j] / (static_cast<double>(m * (m - 1)) / 2.0);
}

// Localities i < j, and the positions within each ascending, as Fbetweenstar.
template <int Lanes>
void Betweenlanes(const Exactterms &terms, const std::int32_t *const *orders, const Starttable &start,
                  std::int32_t count, double *means) {
  double sum[Lanes] = {};
  std::int32_t pairs = 0;
  for (int i = 1; i <= count; ++i)
    for (int k = i + 1; k <= count; ++k) {
      for (std::int32_t x = start[i]; x <= start[i + 1] - 1; ++x) {
        const std::uint16_t *row[Lanes];
        for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, orders[j][x - 1]);
        for (std::int32_t y = start[k]; y <= start[k + 1] - 1; ++y)
          for (int j = 0; j < Lanes; ++j) sum[j] += terms.Terms[row[j][orders[j][y - 1]]];
      }
      pairs += (start[i + 1] - start[i]) * (start[k + 1] - start[k]);
    }
  for (int j = 0; j < Lanes; ++j) means[j] = sum[j] / static_cast<double>(pairs);
}

}  // namespace

void Withinstars(const Exactterms &terms, const std::int32_t *const *orders, int lanes, std::int32_t first,
                 std::int32_t last, double *means) {
  static_assert(Maxlanes == 4);
  switch (lanes) {
    case 1: return Withinlanes<1>(terms, orders, first, last, means);
    case 2: return Withinlanes<2>(terms, orders, first, last, means);
    case 3: return Withinlanes<3>(terms, orders, first, last, means);
    default: return Withinlanes<4>(terms, orders, first, last, means);
  }
}

void Betweenstars(const Exactterms &terms, const std::int32_t *const *orders, int lanes, const Starttable &start,
                  std::int32_t count, double *means) {
  switch (lanes) {
    case 1: return Betweenlanes<1>(terms, orders, start, count, means);
    case 2: return Betweenlanes<2>(terms, orders, start, count, means);
    case 3: return Betweenlanes<3>(terms, orders, start, count, means);
    default: return Betweenlanes<4>(terms, orders, start, count, means);
  }
}

}  // namespace halvik
