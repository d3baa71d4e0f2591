#include "stats/estimators.h"

#include <cmath>
#include <string_view>

#include "driver/globals.h"
#include "driver/textout.h"
#include "population/compare.h"
#include "population/difftable.h"

namespace halvik {

namespace {

// While the statistics hold a current difference table, a pair's count is
// looked up there: the same number Sitesdiff gives, without the comparison.
double D(const Lineup &lineup, std::int32_t a, std::int32_t b) {
  if (Difftablecurrent()) return static_cast<double>(Tablediff(lineup[a], lineup[b]));
  return Sitesdiff(Pop.Seqs[lineup[a]], Pop.Seqs[lineup[b]], Pop.Numsegsites, Pop.Seqlength);
}

// ln(1 + d) for each count d, worked out the first time it is needed: the very
// double std::log gives, so a pair's term is the same whether computed or
// looked up, and the observed statistics take no logarithm per pair.
double Logofnext(std::int32_t d) {
  static double terms[Maxsegsites + 1];
  static bool known[Maxsegsites + 1];
  if (!known[d]) {
    terms[d] = std::log(1.0 + static_cast<double>(d));
    known[d] = true;
  }
  return terms[d];
}

double Dstar(const Lineup &lineup, std::int32_t a, std::int32_t b) {
  if (Difftablecurrent()) return Logofnext(Tablediff(lineup[a], lineup[b]));
  return std::log(1.0 + D(lineup, a, b));
}

double Pi(const Lineup &lineup, std::int32_t a, std::int32_t b) {
  if (Difftablecurrent())
    return static_cast<double>(Tablediff(lineup[a], lineup[b])) / static_cast<double>(Pop.Seqlength);
  return Sitesdiffpernuc(Pop.Seqs[lineup[a]], Pop.Seqs[lineup[b]], Pop.Numsegsites, Pop.Seqlength);
}

// The mean of a pair term over all pairs a < b of first..last, summed with a
// ascending and b ascending within each a.
template <typename Term>
double Withinmean(std::int32_t first, std::int32_t last, const Lineup &lineup, Term term) {
  double sum = 0.0;
  for (std::int32_t a = first; a <= last; ++a)
    for (std::int32_t b = a + 1; b <= last; ++b) sum += term(lineup, a, b);
  const std::int32_t m = last - first + 1;
  return sum / (static_cast<double>(m * (m - 1)) / 2.0);
}

// The same over all pairs of positions in different localities, localities
// i < j and positions within each ascending.
template <typename Term>
double Betweenmean(const Starttable &start, std::int32_t count, const Lineup &lineup, Term term) {
  double sum = 0.0;
  std::int32_t pairs = 0;
  for (std::int32_t i = 1; i <= count; ++i)
    for (std::int32_t j = i + 1; j <= count; ++j)
      for (std::int32_t x = start[i]; x <= start[i + 1] - 1; ++x)
        for (std::int32_t y = start[j]; y <= start[j + 1] - 1; ++y) {
          sum += term(lineup, x, y);
          ++pairs;
        }
  return sum / static_cast<double>(pairs);
}

// The labels are those of records first and last; with the observed lineup
// these are the sequences at the ends of the range.
void Echoline(Textsink &sink, std::string_view open, std::int32_t first, std::int32_t last, std::string_view close,
              bool tab, double value) {
  Writestr(sink, open);
  Writestr(sink, Pop.Seqs[first].Otu);
  Writestr(sink, " to ");
  Writestr(sink, Pop.Seqs[last].Otu);
  Writestr(sink, close);
  if (tab) Writech(sink, '\t');
  Writereal(sink, value, 8, 6);
  Writeln(sink);
}

double Echoed(double value, bool echo, std::string_view open, std::int32_t first, std::int32_t last,
              std::string_view close) {
  if (echo) {
    Echoline(Console, open, first, last, close, false, value);
    Echoline(Outfile, open, first, last, close, true, value);
  }
  return value;
}

}  // namespace

double Kj(std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo) {
  return Echoed(Withinmean(first, last, lineup, D), echo, "K(", first, last, "):  ");
}

double Kjstar(std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo) {
  return Echoed(Withinmean(first, last, lineup, Dstar), echo, "K*(", first, last, "):  ");
}

double Piij(std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo) {
  return Echoed(Withinmean(first, last, lineup, Pi), echo, "(", first, last, ")  Pi i,j:  ");
}

double Fbetween(const Starttable &start, std::int32_t count, const Lineup &lineup) {
  return Betweenmean(start, count, lineup, D);
}

double Fbetweenstar(const Starttable &start, std::int32_t count, const Lineup &lineup) {
  return Betweenmean(start, count, lineup, Dstar);
}

}  // namespace halvik
