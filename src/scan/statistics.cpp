#include "scan/statistics.h"

#include <algorithm>
#include <cmath>

namespace halvik {

namespace {

// 2^-shift: multiplying by it scales an image back exactly, as ldexp would.
double Unit(int shift) { return 1.0 / static_cast<double>(std::uint64_t{1} << shift); }

}  // namespace

Design Designof(const std::vector<std::int32_t> &samplesizes, int ploidy) {
  Design design;
  design.Localities = static_cast<std::int32_t>(samplesizes.size());
  double squares = 0, within = 0;
  for (const std::int32_t size : samplesizes) {
    const std::int32_t n = size * ploidy;
    design.Haplotypes += n;
    squares += static_cast<double>(n) * n;
    within += 0.5 * n * (n - 1.0);
    const auto known = std::find(design.Classsizes.begin(), design.Classsizes.end(), n);
    design.Classof.push_back(static_cast<std::int32_t>(known - design.Classsizes.begin()));
    if (known == design.Classsizes.end()) design.Classsizes.push_back(n);
  }
  const double n = design.Haplotypes;
  design.Pairs = 0.5 * n * (n - 1.0);
  design.Between = design.Pairs - within;
  design.Nzero = (n - squares / n) / (design.Localities - 1.0);
  return design;
}

Classtotals Classsums(const Design &design, const Divisionsums &sums) {
  Classtotals classes{};
  for (std::int32_t k = 0; k < design.Localities; ++k)
    classes[static_cast<std::size_t>(design.Classof[static_cast<std::size_t>(k)])] +=
        sums.Within[static_cast<std::size_t>(k) * sums.Stride];
  return classes;
}

Kvalues Kvaluesof(const Design &design, const Classtotals &classes, std::int64_t total, int shift) {
  const double unit = Unit(shift), n = design.Haplotypes;
  Kvalues v{0, 0, 0, 0, 0};
  std::int64_t within = 0;
  for (std::size_t c = 0; c < design.Classsizes.size(); ++c) {
    // w_k K_k = (n_k / N) S_k / (n_k (n_k - 1) / 2)
    v.Ks += 2.0 / (n * (design.Classsizes[c] - 1.0)) * (static_cast<double>(classes[c]) * unit);
    within += classes[c];
  }
  v.Kt = static_cast<double>(total) * unit / design.Pairs;
  v.Kst = 1.0 - v.Ks / v.Kt;
  v.Ft = static_cast<double>(total - within) * unit / design.Between;
  v.Fst = 1.0 - v.Ks / v.Ft;
  return v;
}

double Phistof(const Design &design, const Classtotals &classes, std::int64_t total, int shift) {
  const double unit = Unit(shift), n = design.Haplotypes, p = design.Localities;
  const double whole = static_cast<double>(total) * unit / n;
  double within = 0;
  for (std::size_t c = 0; c < design.Classsizes.size(); ++c)
    within += static_cast<double>(classes[c]) * unit / design.Classsizes[c];
  const double sigmaw = within / (n - p);
  const double sigmaa = ((whole - within) / (p - 1.0) - sigmaw) / design.Nzero;
  return sigmaa / (sigmaa + sigmaw);
}

}  // namespace halvik
