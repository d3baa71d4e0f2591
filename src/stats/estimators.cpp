#include "stats/estimators.h"

#include "stats/pairmeans.h"

namespace halvik {

namespace {

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

double Kj(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup) {
  return Withinmean(first, last, lineup, Plain(distances));
}

double Kjstar(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup) {
  return Withinmean(first, last, lineup, Starred(distances));
}

double Piij(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup) {
  return Withinmean(first, last, lineup, Pernucleotide(distances));
}

double Fbetween(const Distances &distances, const Starttable &start, std::int32_t count, const Lineup &lineup) {
  return Betweenmean(start, count, lineup, Plain(distances));
}

double Fbetweenstar(const Distances &distances, const Starttable &start, std::int32_t count, const Lineup &lineup) {
  return Betweenmean(start, count, lineup, Starred(distances));
}

}  // namespace halvik
