#include "stats/amova.h"

#include <algorithm>
#include <vector>

namespace halvik {

namespace {

// Fractions' classes: class 0 for the denominator 1, then one per distinct size.
using Classsums = std::array<Wide, Maxlocalities + 2>;

// sum_{k in each class} factor * sums[k]; entries past the classes are left unset.
Classsums Grouped(const Phistplan &plan, const Wide *sums, Wide factor) {
  Classsums grouped;
  std::fill_n(grouped.begin(), plan.Fractions.Denominators.size(), 0);
  for (std::int32_t k = 1; k <= plan.Count; ++k) grouped[static_cast<std::size_t>(plan.Group[k])] += factor * sums[k];
  return grouped;
}

}  // namespace

Amovasums Amovasumsof(const Distances &distances, const Localities &division) {
  Amovasums sums;
  const std::int32_t n = distances.Size();
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = i + 1; j <= n; ++j) sums.Total += distances.Units(i, j);
  for (std::int32_t k = 1; k <= division.Count; ++k)
    for (std::int32_t i = division.Start[k]; i < division.Start[k + 1]; ++i)
      for (std::int32_t j = i + 1; j < division.Start[k + 1]; ++j) sums.Within[k] += distances.Units(i, j);
  return sums;
}

Phistplan Planphist(const Localities &division, Wide total, int unitshift) {
  Phistplan plan;
  plan.Count = division.Count;
  plan.Size = division.Start[division.Count + 1] - 1;
  plan.Shift = unitshift;
  plan.Total = total;
  std::vector<std::int32_t> denominators{1};
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    const std::int32_t n = division.Start[k + 1] - division.Start[k];
    plan.Sizes[k] = n;
    plan.Squares += std::int64_t{n} * (n - 1);
    const auto known = std::find(denominators.begin(), denominators.end(), n);
    plan.Group[k] = static_cast<std::int32_t>(known - denominators.begin());
    if (known == denominators.end()) denominators.push_back(n);
  }
  plan.Fractions = Planfractions(denominators);
  return plan;
}

bool Withinatmost(const Phistplan &plan, const Wide *within, const Wide *observed) {
  const Classsums lineup = Grouped(plan, within, 1), fixed = Grouped(plan, observed, 1);
  return Fractionsign(plan.Fractions, fixed.data(), lineup.data()) >= 0;
}

// σ²_A + σ²_W has the sign of total (N - P) - sum_k n_k (n_k - 1) SSD_W:
// 0 for a single locality, whose within sum is the total.
int Varianceside(const Phistplan &plan, const Wide *within) {
  Classsums total;
  std::fill_n(total.begin(), plan.Fractions.Denominators.size(), 0);
  total[0] = plan.Total * (plan.Size - plan.Count);
  const Classsums weighed = Grouped(plan, within, plan.Squares);
  return Fractionsign(plan.Fractions, total.data(), weighed.data());
}

bool Phistatleast(const Phistplan &plan, const Wide *within, const Wide *observed) {
  const int side = Varianceside(plan, observed);
  if (side == 0) return false;
  const bool atmost = Withinatmost(plan, within, observed);
  // Past the pole (side < 0) ΦST exceeds 1 and still falls with SSD_W.
  if (side > 0) return atmost || Varianceside(plan, within) < 0;
  return atmost && Varianceside(plan, within) < 0;
}

double Phistvalue(const Phistplan &plan, const Wide *within) {
  if (Varianceside(plan, within) == 0) return std::nan("");
  const double scale = std::ldexp(1.0, -plan.Shift), n = plan.Size, p = plan.Count;
  const double ssdt = static_cast<double>(plan.Total) * scale / n;
  double ssdw = 0.0, squares = 0.0;
  for (std::int32_t k = 1; k <= plan.Count; ++k) {
    ssdw += static_cast<double>(within[k]) * scale / plan.Sizes[k];
    squares += static_cast<double>(plan.Sizes[k]) * plan.Sizes[k];
  }
  const double ssda = ssdt - ssdw;
  const double n0 = (n - squares / n) / (p - 1.0);
  const double sigmaw = ssdw / (n - p);
  const double sigmaa = (ssda / (p - 1.0) - sigmaw) / n0;
  return sigmaa / (sigmaa + sigmaw);
}

double Phistof(const Distances &distances, const Localities &division) {
  const Amovasums sums = Amovasumsof(distances, division);
  return Phistvalue(Planphist(division, sums.Total, distances.Unitshift()), sums.Within.data());
}

}  // namespace halvik
