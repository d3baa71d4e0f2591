// The statistics of one division of a window's samples, from its sums.
//
//   K_k = mean d over the pairs within locality k, Ks = sum_k w_k K_k with
//   w_k = n_k / N, Kt = mean over all pairs, Kst = 1 - Ks / Kt; Ft = mean d
//   between localities, Fst = 1 - Ks / Ft. The starred forms the same over
//   ln(1 + d). PhiST from the AMOVA sums of squares, SSD_W = sum_k S_k / n_k.
//
// Localities of one size are summed as whole numbers before anything is
// divided, so two divisions whose sums agree give the very same doubles:
// with localities of one size, ties between lineups are exact.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace halvik {

struct Design {
  std::int32_t Haplotypes = 0, Localities = 0;
  std::vector<std::int32_t> Classof;     // each locality's size class
  std::vector<std::int32_t> Classsizes;  // the haplotypes of a locality of each class
  double Pairs = 0, Between = 0;         // all pairs of haplotypes; those between localities
  double Nzero = 0;                      // the AMOVA's n0
};

Design Designof(const std::vector<std::int32_t> &samplesizes, int ploidy);

// One matrix's sums for a division: locality k's at Within[k * Stride], and
// the whole sample's, all images of 2^Shift.
struct Divisionsums {
  const std::int64_t *Within;
  std::size_t Stride;
  std::int64_t Total;
  int Shift;
};

inline constexpr int Mostlocalities = 30;
using Classtotals = std::array<std::int64_t, Mostlocalities>;

// The size classes' sums, whole.
Classtotals Classsums(const Design &design, const Divisionsums &sums);

struct Kvalues {
  double Ks, Kt, Kst, Ft, Fst;
};
// From the class sums and the whole of a division's matrix.
Kvalues Kvaluesof(const Design &design, const Classtotals &classes, std::int64_t total, int shift);
double Phistof(const Design &design, const Classtotals &classes, std::int64_t total, int shift);

}  // namespace halvik
