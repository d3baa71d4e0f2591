#include "stats/estimators.h"

#include <cmath>
#include <string_view>

#include "driver/globals.h"
#include "driver/textout.h"
#include "population/compare.h"
#include "population/difftable.h"
#include "stats/pairmeans.h"

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
