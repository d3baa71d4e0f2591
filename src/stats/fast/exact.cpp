#include "stats/fast/exact.h"

#include <array>
#include <cmath>
#include <type_traits>
#include <utility>

namespace halvik {

namespace {

const std::uint16_t *Row(const Exactterms &terms, std::int32_t record) {
  return terms.Cells + static_cast<std::int64_t>(record) * terms.N;
}

// The records at position p of the lanes' lineups, one after another.
const std::uint16_t *At(const std::uint16_t *lanes, std::int32_t p) { return lanes + (p - 1) * Maxlanes; }

// With Plain, the sums of d come along: their loads are made anyway. With
// Rounded, each term comes with its rounding (see tail.h), for the sums
// between localities that follow.
template <int Lanes, bool Plain, bool Rounded>
void Withinlanes(const Exactterms &terms, const std::uint16_t *lanes, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *units, std::int64_t *diffs) {
  using Sum = std::conditional_t<Rounded, Termpair, double>;
  const Sum *table;
  if constexpr (Rounded)
    table = terms.Tail->Pairs.data();
  else
    table = terms.Terms;
  Sum sum[Lanes] = {};
  std::int64_t plain[Lanes] = {};
  for (std::int32_t a = first; a <= last; ++a) {
    const std::uint16_t *row[Lanes];
    for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, At(lanes, a)[j]);
    for (std::int32_t b = a + 1; b <= last; ++b) {
      const std::uint16_t *column = At(lanes, b);
      for (int j = 0; j < Lanes; ++j) {
        const std::uint16_t d = row[j][column[j]];
        sum[j] += table[d];
        if constexpr (Plain) plain[j] += d;
      }
    }
  }
  const double pairs = static_cast<double>((last - first + 1) * (last - first)) / 2.0;
  for (int j = 0; j < Lanes; ++j) {
    if constexpr (Rounded) {
      means[j] = sum[j][0] / pairs;
      units[j] = Tounits(*terms.Tail, sum[j]);
    } else {
      means[j] = sum[j] / pairs;
    }
  }
  if constexpr (Plain)
    for (int j = 0; j < Lanes; ++j) diffs[j] = plain[j];
}

template <int Lanes, bool Plain>
void Withinlanes(const Exactterms &terms, const std::uint16_t *lanes, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *units, std::int64_t *diffs) {
  if (units != nullptr)
    Withinlanes<Lanes, Plain, true>(terms, lanes, first, last, means, units, diffs);
  else
    Withinlanes<Lanes, Plain, false>(terms, lanes, first, last, means, units, diffs);
}

// The sums of d need a register each: more than four lanes at once would
// spill their row pointers, so larger groups are added four lanes at a time.
template <int Lanes>
void Withinlanes(const Exactterms &terms, const std::uint16_t *lanes, std::int32_t first, std::int32_t last,
                 double *means, std::int64_t *units, std::int64_t *diffs) {
  if (diffs == nullptr) {
    Withinlanes<Lanes, false>(terms, lanes, first, last, means, units, diffs);
  } else if constexpr (Lanes > 4) {
    Withinlanes<4, true>(terms, lanes, first, last, means, units, diffs);
    Withinlanes<Lanes - 4, true>(terms, lanes + 4, first, last, means + 4, units ? units + 4 : nullptr, diffs + 4);
  } else {
    Withinlanes<Lanes, true>(terms, lanes, first, last, means, units, diffs);
  }
}

template <int Lanes>
bool Allreached(const Termpair *sum, double reach) {
  for (int j = 0; j < Lanes; ++j)
    if (!(sum[j][0] >= reach)) return false;
  return true;
}

// Localities i < k, and the positions within each ascending, as Fbetweenstar:
// a row is position x of locality i against locality k. With `stopping`,
// stops as soon as every lane has reached the tail, and returns true.
template <int Lanes>
bool Addbetween(const Exactterms &terms, const std::uint16_t *lanes, const Starttable &start, std::int32_t count,
                bool stopping, Termpair *sum) {
  const Termpair *pairs = terms.Tail->Pairs.data();
  for (int i = 1; i <= count; ++i)
    for (int k = i + 1; k <= count; ++k)
      for (std::int32_t x = start[i]; x <= start[i + 1] - 1; ++x) {
        const std::uint16_t *row[Lanes];
        for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, At(lanes, x)[j]);
        for (std::int32_t y = start[k]; y <= start[k + 1] - 1; ++y) {
          const std::uint16_t *column = At(lanes, y);
          for (int j = 0; j < Lanes; ++j) sum[j] += pairs[row[j][column[j]]];
        }
        if (stopping && Allreached<Lanes>(sum, terms.Tail->Reach)) return true;
      }
  return false;
}

// Lane j's sum continued in order from `sum` over the row of position x
// against locality k.
double Addrow(const Exactterms &terms, const std::uint16_t *lanes, int j, std::int32_t x, const Starttable &start,
              int k, double sum) {
  const std::uint16_t *row = Row(terms, At(lanes, x)[j]);
  for (std::int32_t y = start[k]; y <= start[k + 1] - 1; ++y) sum += terms.Tail->Pairs[row[At(lanes, y)[j]]][0];
  return sum;
}

// Sums stopped at 2^(E-1), each with its Climbbase: walks the rows back from
// the last, adding their rounded terms, until it meets the row where each
// lane's sum crosses 2^E (at the latest the row after the stop, where the
// sum was still below 2^E); that row alone is added in order. Each lane's
// whole sum goes to totals[j], NaN where the shortcut fails.
template <int Lanes>
void Climbback(const Exactterms &terms, const std::uint16_t *lanes, const Starttable &start, std::int32_t count,
               const std::int64_t *base, double *totals) {
  const Unitpair *units = terms.Tail->Units.data();
  constexpr std::int64_t crossing = std::int64_t{1} << 53;  // 2^E in units of 2^(E-1)
  std::int64_t afterlow[Lanes] = {}, afterhigh[Lanes] = {};
  bool open[Lanes];
  int left = 0;
  for (int j = 0; j < Lanes; ++j) {
    open[j] = base[j] >= 0;
    left += open[j];
    totals[j] = std::nan("");
  }
  for (int i = count; i >= 1; --i)
    for (int k = count; k > i; --k)
      for (std::int32_t x = start[i + 1] - 1; x >= start[i]; --x) {
        if (left == 0) return;
        Unitpair sum[Lanes] = {};
        const std::uint16_t *row[Lanes];
        for (int j = 0; j < Lanes; ++j) row[j] = Row(terms, At(lanes, x)[j]);
        for (std::int32_t y = start[k]; y <= start[k + 1] - 1; ++y) {
          const std::uint16_t *column = At(lanes, y);
          for (int j = 0; j < Lanes; ++j) sum[j] += units[row[j][column[j]]];
        }
        for (int j = 0; j < Lanes; ++j) {
          if (!open[j]) continue;
          afterlow[j] += sum[j][0];
          const std::int64_t rowstart = base[j] - afterlow[j];  // while below 2^E, exact
          if (rowstart >= crossing) {
            afterhigh[j] += sum[j][1];
            continue;
          }
          const double value = static_cast<double>(rowstart) / terms.Tail->Scale;
          totals[j] = Finishclimb(*terms.Tail, Addrow(terms, lanes, j, x, start, k, value), afterhigh[j]);
          open[j] = false;
          --left;
        }
      }
}

double Betweencount(const Starttable &start, std::int32_t count) {
  std::int32_t pairs = 0;
  for (int i = 1; i <= count; ++i)
    for (int k = i + 1; k <= count; ++k) pairs += (start[i + 1] - start[i]) * (start[k + 1] - start[k]);
  return static_cast<double>(pairs);
}

// The stopped sums, finished from the totals; NaN where the shortcut fails.
template <int Lanes>
void Finishlanes(const Exactterms &terms, const std::uint16_t *lanes, const Starttable &start, std::int32_t count,
                 const Termpair *sum, const std::int64_t *withinunits, double *totals) {
  if (!terms.Tail->Backwards) {
    for (int j = 0; j < Lanes; ++j) totals[j] = Finishtail(*terms.Tail, sum[j], withinunits[j]);
    return;
  }
  std::int64_t base[Lanes];
  for (int j = 0; j < Lanes; ++j) base[j] = Climbbase(*terms.Tail, sum[j], withinunits[j]);
  Climbback<Lanes>(terms, lanes, start, count, base, totals);
}

template <int Lanes>
Earlyends Betweenlanes(const Exactterms &terms, const std::uint16_t *lanes, const Starttable &start, std::int32_t count,
                       const std::int64_t *withinunits, double *means) {
  bool stopping = withinunits != nullptr;
  for (int j = 0; j < Lanes && stopping; ++j) stopping = Endsintail(*terms.Tail, withinunits[j]);
  Termpair sum[Lanes] = {};
  const bool stopped = Addbetween<Lanes>(terms, lanes, start, count, stopping, sum);
  double totals[Lanes];
  for (int j = 0; j < Lanes; ++j) totals[j] = sum[j][0];
  if (stopped) Finishlanes<Lanes>(terms, lanes, start, count, sum, withinunits, totals);
  const double pairs = Betweencount(start, count);
  Earlyends ends;
  for (int j = 0; j < Lanes; ++j) {
    if (std::isnan(totals[j])) {
      Betweenlanes<1>(terms, lanes + j, start, count, nullptr, means + j);
      ++ends.Retried;
      continue;
    }
    ends.Finished += stopped;
    means[j] = totals[j] / pairs;
  }
  return ends;
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
                 double *means, std::int64_t *units, std::int64_t *diffs) {
  Withinby[static_cast<std::size_t>(count - 1)](terms, lanes, first, last, means, units, diffs);
}

Earlyends Betweenstars(const Exactterms &terms, const std::uint16_t *lanes, int count, const Starttable &start,
                       std::int32_t localities, const std::int64_t *withinunits, double *means) {
  return Betweenby[static_cast<std::size_t>(count - 1)](terms, lanes, start, localities, withinunits, means);
}

}  // namespace halvik
