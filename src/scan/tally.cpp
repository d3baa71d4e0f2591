#include "scan/tally.h"

#include <cmath>

namespace halvik {

Tally::Tally(const Design &design, const Windowmatrices &matrices, const std::int64_t *observed, std::int32_t stopafter)
    : Shape(design), Data(matrices), Stopafter(stopafter), Width(matrices.Matrices.size()) {
  Phiclasses = Classsums(design, Sumsof(observed, 0));
  Plain = Kvaluesof(design, Phiclasses, matrices.Totals[0], matrices.Plainshift);
  Phist = Phistof(design, Phiclasses, matrices.Totals[0], matrices.Plainshift);
  if (design.Classsizes.size() > 1)
    Phifractions = Planfractions(std::vector<std::int32_t>(design.Classsizes.begin(), design.Classsizes.end()));
  if (matrices.Phased) {
    Logs = Kvaluesof(design, Classsums(design, Sumsof(observed, 1)), matrices.Totals[1], matrices.Logshift);
    for (std::size_t m = 2; m < Width; ++m) Snnobserved.push_back(Matrixwithin(observed, m));
    const std::vector<std::uint32_t> &ties = matrices.Snn->Denominators;
    if (!ties.empty()) Snnfractions = Planfractions(std::vector<std::int32_t>(ties.begin(), ties.end()));
    Snn = Snnvalue(observed);
  }
  const double values[Testcount] = {Plain.Kst, Plain.Fst, Logs.Kst, Logs.Fst, Snn, Phist};
  for (int t = 0; t < Testcount; ++t)
    Tested[t] = !std::isnan(values[t]) && (matrices.Phased || t == 0 || t == 1 || t == 5);
}

Divisionsums Tally::Sumsof(const std::int64_t *sums, std::size_t matrix) const {
  return {sums + matrix, Width, Data.Totals[matrix], matrix == 0 ? Data.Plainshift : Data.Logshift};
}

std::int64_t Tally::Matrixwithin(const std::int64_t *sums, std::size_t matrix) const {
  std::int64_t within = 0;
  for (std::int32_t k = 0; k < Shape.Localities; ++k) within += sums[static_cast<std::size_t>(k) * Width + matrix];
  return within;
}

// With one matrix, the whole-number sum over L N in one division of numbers
// a long double holds exactly, so that the value depends on the rational
// alone and not on L.
double Tally::Snnvalue(const std::int64_t *sums) const {
  const std::vector<std::uint32_t> &t = Data.Snn->Denominators;
  if (t.empty())
    return static_cast<double>(static_cast<long double>(Matrixwithin(sums, 2)) /
                               (static_cast<long double>(Data.Snn->Scale) * Shape.Haplotypes));
  long double total = 0;
  for (std::size_t d = 0; d < t.size(); ++d) total += static_cast<long double>(Matrixwithin(sums, d + 2)) / t[d];
  return static_cast<double>(total / Shape.Haplotypes);
}

bool Tally::Phireaches(const Classtotals &classes) const {
  Wide lineup[Mostlocalities], observed[Mostlocalities];
  for (std::size_t c = 0; c < Shape.Classsizes.size(); ++c) lineup[c] = classes[c], observed[c] = Phiclasses[c];
  const int sign = Phifractions ? Fractionsign(*Phifractions, lineup, observed)
                                : (lineup[0] > observed[0]) - (lineup[0] < observed[0]);
  return sign <= 0 && !std::isnan(Phistof(Shape, classes, Data.Totals[0], Data.Plainshift));
}

bool Tally::Snnreaches(const std::int64_t *sums) const {
  if (!Snnfractions) return Matrixwithin(sums, 2) >= Snnobserved[0];
  std::vector<Wide> lineup(Snnobserved.size()), observed(Snnobserved.begin(), Snnobserved.end());
  for (std::size_t d = 0; d < lineup.size(); ++d) lineup[d] = Matrixwithin(sums, d + 2);
  return Fractionsign(*Snnfractions, lineup.data(), observed.data()) >= 0;
}

void Tally::Add(const std::int64_t *sums, std::int32_t r) {
  const auto open = [&](int t) { return Tested[t] && Stoppedat[t] == 0; };
  bool reach[Testcount] = {};
  if (open(Kstat) || open(Fstat) || open(Phistat)) {
    const Classtotals classes = Classsums(Shape, Sumsof(sums, 0));
    const Kvalues v = Kvaluesof(Shape, classes, Data.Totals[0], Data.Plainshift);
    reach[Kstat] = v.Kst >= Plain.Kst;
    reach[Fstat] = v.Fst >= Plain.Fst;
    reach[Phistat] = open(Phistat) && Phireaches(classes);
  }
  if (open(Kstarstat) || open(Fstarstat)) {
    const Kvalues v = Kvaluesof(Shape, Classsums(Shape, Sumsof(sums, 1)), Data.Totals[1], Data.Logshift);
    reach[Kstarstat] = v.Kst >= Logs.Kst;
    reach[Fstarstat] = v.Fst >= Logs.Fst;
  }
  if (open(Snnstat)) reach[Snnstat] = Snnreaches(sums);
  for (int t = 0; t < Testcount; ++t)
    if (open(t) && reach[t] && ++Counts[t] == Stopafter) Stoppedat[t] = r + 1;
}

bool Tally::Done() const {
  for (int t = 0; t < Testcount; ++t)
    if (Tested[t] && Stoppedat[t] == 0) return false;
  return true;
}

std::array<Testresult, Testcount> Tally::Results(std::int32_t lineups) const {
  const double values[Testcount] = {Plain.Kst, Plain.Fst, Logs.Kst, Logs.Fst, Snn, Phist};
  std::array<Testresult, Testcount> results;
  for (int t = 0; t < Testcount; ++t) {
    results[t].Value = Data.Phased || t == Kstat || t == Fstat || t == Phistat ? values[t] : Nan;
    if (!Tested[t]) continue;
    results[t].Count = Counts[t];
    results[t].Drawn = Stoppedat[t] > 0 ? Stoppedat[t] : lineups;
  }
  return results;
}

std::array<double, Meancount> Tally::Means() const {
  if (!Data.Phased) return {Plain.Ks, Plain.Kt, Plain.Ft, Nan, Nan, Nan};
  return {Plain.Ks, Plain.Kt, Plain.Ft, Logs.Ks, Logs.Kt, Logs.Ft};
}

}  // namespace halvik
