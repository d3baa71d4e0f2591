#include "stats/pvalues.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "store/wide.h"

namespace halvik {

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();

// a/b < c/d, exactly: the products of two counts of at most 2^31 lineups
// and a number of tests fit in 128 bits.
bool Below(const Pratio &a, const Pratio &b) {
  return static_cast<Wide>(a.Numerator) * b.Denominator < static_cast<Wide>(b.Numerator) * a.Denominator;
}

// The tested entries' positions, smallest P first (ties in their order).
std::vector<std::size_t> Ascending(const std::vector<Pratio> &p) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < p.size(); ++i)
    if (p[i].Tested()) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return Below(p[a], p[b]); });
  return order;
}

// min(1, factor * p / divisor), formed in whole numbers and divided once.
double Scaled(const Pratio &p, std::int64_t factor, std::int64_t divisor) {
  const Wide top = static_cast<Wide>(p.Numerator) * factor;
  const Wide bottom = static_cast<Wide>(p.Denominator) * divisor;
  if (top >= bottom) return 1.0;
  return static_cast<double>(top) / static_cast<double>(bottom);
}

}  // namespace

double Pratio::Value() const {
  return Tested() ? static_cast<double>(Numerator) / static_cast<double>(Denominator) : Nan;
}

Pratio Plusone(std::int64_t count, std::int64_t lineups) {
  if (lineups < 1) return {};
  return {count + 1, lineups + 1};
}

Pvalues Pvaluesof(std::int64_t count, std::int64_t lineups, bool tested) {
  if (!tested || lineups < 1) return {Nan, Nan, Nan};
  const double r = static_cast<double>(lineups);
  const double p = static_cast<double>(count) / r;
  return {p, Plusone(count, lineups).Value(), std::sqrt(p * (1.0 - p) / r)};
}

std::vector<double> Holm(const std::vector<Pratio> &p) {
  const std::vector<std::size_t> order = Ascending(p);
  std::vector<double> adjusted(p.size(), Nan);
  const auto m = static_cast<std::int64_t>(order.size());
  double running = 0.0;
  for (std::size_t j = 0; j < order.size(); ++j) {
    running = std::max(running, Scaled(p[order[j]], m - static_cast<std::int64_t>(j), 1));
    adjusted[order[j]] = running;
  }
  return adjusted;
}

std::vector<double> Benjaminihochberg(const std::vector<Pratio> &p) {
  const std::vector<std::size_t> order = Ascending(p);
  std::vector<double> adjusted(p.size(), Nan);
  const auto m = static_cast<std::int64_t>(order.size());
  double running = 1.0;
  for (std::size_t j = order.size(); j-- > 0;) {
    running = std::min(running, Scaled(p[order[j]], m, static_cast<std::int64_t>(j) + 1));
    adjusted[order[j]] = running;
  }
  return adjusted;
}

}  // namespace halvik
