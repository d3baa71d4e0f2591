// The counts of a window's lineups that reach its observed values.
//
// Kst, Fst, K*st and F*sb count a lineup when its value, formed from its
// whole-number sums as the observed one is, is at least the observed value.
// PhiST counts a lineup whose SSD_W is at most the observed one, compared
// exactly (at fixed sizes PhiST falls as SSD_W grows); Snn one whose sum of
// W_i / T_i is at least the observed one, compared exactly. A lineup whose
// statistic is NaN never counts. With --stop-after H a statistic stops once
// H lineups have counted.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "stats/fractions.h"
#include "scan/neighbours.h"
#include "scan/result.h"
#include "scan/statistics.h"

namespace halvik {

// The window's matrices in the order the kernel sums them: the plain
// differences, then (phased) the logs and Snn's matrices.
struct Windowmatrices {
  std::vector<const std::int64_t *> Matrices;
  std::vector<std::int64_t> Totals;  // of each matrix over every pair and sample
  int Plainshift = 0, Logshift = 0;
  bool Phased = false;
  const Neighbours *Snn = nullptr;
};

class Tally {
 public:
  // From the observed division's sums (layout as a lineup's).
  Tally(const Design &design, const Windowmatrices &matrices, const std::int64_t *observed, std::int32_t stopafter);
  // Lineup r's sums, lineups in order.
  void Add(const std::int64_t *sums, std::int32_t r);
  bool Done() const;  // every statistic has stopped
  // The observed values, counts and lineups drawn over `lineups` lineups.
  std::array<Testresult, Testcount> Results(std::int32_t lineups) const;
  std::array<double, Meancount> Means() const;

 private:
  Divisionsums Sumsof(const std::int64_t *sums, std::size_t matrix) const;
  bool Phireaches(const Classtotals &classes) const;
  bool Snnreaches(const std::int64_t *sums) const;
  std::int64_t Matrixwithin(const std::int64_t *sums, std::size_t matrix) const;
  double Snnvalue(const std::int64_t *sums) const;

  const Design &Shape;
  const Windowmatrices &Data;
  std::int32_t Stopafter;
  std::size_t Width;  // matrices per locality in a row of sums
  Kvalues Plain{}, Logs{};
  double Phist = Nan, Snn = Nan;
  Classtotals Phiclasses{};
  // The exact comparisons of ΦST (over the size classes) and of Snn (over its
  // neighbour counts), where they have more than one denominator.
  std::optional<Fractionplan> Phifractions, Snnfractions;
  std::vector<std::int64_t> Snnobserved;  // within sum of each of Snn's matrices
  std::array<bool, Testcount> Tested{};
  std::array<std::int32_t, Testcount> Counts{}, Stoppedat{};
};

}  // namespace halvik
