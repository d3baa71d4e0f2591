#include "stats/fast/exact.h"

#include <array>
#include <utility>

namespace halvik {

namespace {

const std::uint16_t *Row(const Exactterms &terms, std::int32_t record) {
  return terms.Cells + static_cast<std::int64_t>(record) * terms.N;
}

// The records at position p of the lanes' lineups, one after another.
const std::uint16_t *At(const std::uint16_t *lanes, std::int32_t p) { return lanes + (p - 1) * Maxlanes; }

// With Plain, the sums of d come along: their loads are made anyway.
template <int Lanes, bool Plain>
void Withinlanes(const Exactterms &terms, const std::uint16_t *lanes, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *diffs) {
  double sum[Lanes] = {};
  std::int64_t plain[Lanes] = {};
  for (std::int32_t a = first; a <= last; ++a) {
    const std::uint16_t *row[Lanes];
    for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, At(lanes, a)[j]);
    for (std::int32_t b = a + 1; b <= last; ++b) {
      const std::uint16_t *column = At(lanes, b);
      for (int j = 0; j < Lanes; ++j) {
        const std::uint16_t d = row[j][column[j]];
        sum[j] += terms.Terms[d];
        if constexpr (Plain) plain[j] += d;
      }
    }
  }
  const std::int32_t m = last - first + 1;
  for (int j = 0; j < Lanes; ++j) means[j] = sum[j] / (static_cast<double>(m * (m - 1)) / 2.0);
  if constexpr (Plain)
    for (int j = 0; j < Lanes; ++j) diffs[j] = plain[j];
}

template <int Lanes>
void Withinlanes(const Exactterms &terms, const std::uint16_t *lanes, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *diffs) {
  if (diffs != nullptr)
    Withinlanes<Lanes, true>(terms, lanes, first, last, means, diffs);
  else
    Withinlanes<Lanes, false>(terms, lanes, first, last, means, diffs);
}

// Localities i < j, and the positions within each ascending, as Fbetweenstar.
template <int Lanes>
void Betweenlanes(const Exactterms &terms, const std::uint16_t *lanes, const Starttable &start, std::int32_t count,
                  double *means) {
  double sum[Lanes] = {};
  std::int32_t pairs = 0;
  for (int i = 1; i <= count; ++i)
    for (int k = i + 1; k <= count; ++k) {
      for (std::int32_t x = start[i]; x <= start[i + 1] - 1; ++x) {
        const std::uint16_t *row[Lanes];
        for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, At(lanes, x)[j]);
        for (std::int32_t y = start[k]; y <= start[k + 1] - 1; ++y) {
          const std::uint16_t *column = At(lanes, y);
          for (int j = 0; j < Lanes; ++j) sum[j] += terms.Terms[row[j][column[j]]];
        }
      }
      pairs += (start[i + 1] - start[i]) * (start[k + 1] - start[k]);
    }
  for (int j = 0; j < Lanes; ++j) means[j] = sum[j] / static_cast<double>(pairs);
}

// The instances for every number of lanes, 1..Maxlanes, by that number.
template <std::size_t... Count>
constexpr auto Withintable(std::index_sequence<Count...>) {
  return std::array{&Withinlanes<static_cast<int>(Count) + 1>...};
}
template <std::size_t... Count>
constexpr auto Betweentable(std::index_sequence<Count...>) {
  return std::array{&Betweenlanes<static_cast<int>(Count) + 1>...};
}
constexpr auto Withinby = Withintable(std::make_index_sequence<Maxlanes>{});
constexpr auto Betweenby = Betweentable(std::make_index_sequence<Maxlanes>{});

}  // namespace

void Withinstars(const Exactterms &terms, const std::uint16_t *lanes, int count, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *diffs) {
  Withinby[static_cast<std::size_t>(count - 1)](terms, lanes, first, last, means, diffs);
}

void Betweenstars(const Exactterms &terms, const std::uint16_t *lanes, int count, const Starttable &start,
                  std::int32_t localities, double *means) {
  Betweenby[static_cast<std::size_t>(count - 1)](terms, lanes, start, localities, means);
}

}  // namespace halvik
