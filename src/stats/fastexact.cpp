#include "stats/fastexact.h"

namespace halvik {

namespace {

template <int Lanes>
void Withinlanes(const Exactterms &terms, const std::int32_t *const *orders, std::int32_t first, std::int32_t last,
                 double *means) {
  double sum[Lanes] = {};
  for (std::int32_t a = first; a <= last; ++a) {
    const std::uint16_t *row[Lanes];
    for (int j = 0; j < Lanes; ++j) row[j] = terms.Cells + static_cast<std::int64_t>(orders[j][a - 1]) * terms.N;
    for (std::int32_t b = a + 1; b <= last; ++b)
      for (int j = 0; j < Lanes; ++j) sum[j] += terms.Terms[row[j][orders[j][b - 1]]];
  }
  const std::int32_t m = last - first + 1;
  for (int j = 0; j < Lanes; ++j) means[j] = sum[j] / (static_cast<double>(m * (m - 1)) / 2.0);
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

double Betweenstar(const Exactterms &terms, const Starttable &start, std::int32_t count, const std::int32_t *order) {
  double sum = 0.0;
  std::int32_t pairs = 0;
  for (int i = 1; i <= count; ++i)
    for (int j = i + 1; j <= count; ++j)
      for (std::int32_t x = start[i]; x <= start[i + 1] - 1; ++x) {
        const std::uint16_t *row = terms.Cells + static_cast<std::int64_t>(order[x - 1]) * terms.N;
        for (std::int32_t y = start[j]; y <= start[j + 1] - 1; ++y) {
          sum += terms.Terms[row[order[y - 1]]];
          ++pairs;
        }
      }
  return sum / static_cast<double>(pairs);
}

}  // namespace halvik
