#include "stats/estimators.h"

#include <string_view>

#include "driver/console/sinks.h"
#include "stats/pairmeans.h"

namespace halvik {

namespace {

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

// The pair terms, by the records the lineup places at two positions.
auto Plain(const Distances &distances) {
  return [&distances](const Lineup &l, std::int32_t a, std::int32_t b) { return distances.D(l[a], l[b]); };
}
auto Starred(const Distances &distances) {
  return [&distances](const Lineup &l, std::int32_t a, std::int32_t b) { return distances.Dstar(l[a], l[b]); };
}
auto Pernucleotide(const Distances &distances) {
  return [&distances](const Lineup &l, std::int32_t a, std::int32_t b) { return distances.Pi(l[a], l[b]); };
}

}  // namespace

double Kj(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo) {
  return Echoed(Withinmean(first, last, lineup, Plain(distances)), echo, "K(", first, last, "):  ");
}

double Kjstar(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo) {
  return Echoed(Withinmean(first, last, lineup, Starred(distances)), echo, "K*(", first, last, "):  ");
}

double Piij(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup, bool echo) {
  return Echoed(Withinmean(first, last, lineup, Pernucleotide(distances)), echo, "(", first, last, ")  Pi i,j:  ");
}

double Fbetween(const Distances &distances, const Starttable &start, std::int32_t count, const Lineup &lineup) {
  return Betweenmean(start, count, lineup, Plain(distances));
}

double Fbetweenstar(const Distances &distances, const Starttable &start, std::int32_t count, const Lineup &lineup) {
  return Betweenmean(start, count, lineup, Starred(distances));
}

}  // namespace halvik
