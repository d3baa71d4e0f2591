#include "cli/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace halvik {

std::string Shortest(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, x).ptr;
  return std::string(text, end);
}

Pvalues Pvaluesof(std::int32_t count, std::int32_t lineups, double observed) {
  constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
  if (std::isnan(observed) || lineups < 1) return {Nan, Nan, Nan};
  const double r = static_cast<double>(lineups);
  const double p = static_cast<double>(count) / r;
  return {p, (static_cast<double>(count) + 1.0) / (r + 1.0), std::sqrt(p * (1.0 - p) / r)};
}

std::vector<double> Holm(const std::vector<double> &p) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < p.size(); ++i)
    if (!std::isnan(p[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
  std::vector<double> adjusted(p.size(), std::numeric_limits<double>::quiet_NaN());
  const double m = static_cast<double>(order.size());
  double running = 0.0;
  for (std::size_t j = 0; j < order.size(); ++j) {
    running = std::max(running, std::min(1.0, (m - static_cast<double>(j)) * p[order[j]]));
    adjusted[order[j]] = running;
  }
  return adjusted;
}

}  // namespace halvik
