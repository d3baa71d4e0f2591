// ΦST of an analysis of molecular variance (Excoffier, Smouse and Quattro
// 1992, Genetics 131:479-491) with δ² = d, for N records in P localities of
// sizes n_k:
//   SSD_T = sum_{i<j} d_ij / N,  SSD_W = sum_k sum_{i<j in k} d_ij / n_k,
//   SSD_A = SSD_T - SSD_W,  n0 = (N - sum_k n_k^2 / N) / (P - 1),
//   σ²_W = SSD_W / (N - P),  σ²_A = (SSD_A / (P - 1) - σ²_W) / n0,
//   ΦST = σ²_A / (σ²_A + σ²_W).
#pragma once
#include <array>
#include <cstdint>

#include "stats/distances.h"
#include "stats/fractions.h"
#include "stats/localities.h"

namespace halvik {

// The sums ΦST is made of, exactly: d over every pair, and over the pairs
// within each locality k = 1..Count, in units of 2^-Unitshift() (Distances::Units).
struct Amovasums {
  Wide Total = 0;
  std::array<Wide, Maxlocalities + 1> Within{};
};

// The sums of the division in file order. O(N^2).
Amovasums Amovasumsof(const Distances &distances, const Localities &division);

// What comparing the divisions of one set of sizes needs, made once: the
// sizes, grouped by size so that the fractions' denominators are the distinct
// sizes, and the total, which no division changes.
//
// Why a division counts when its SSD_W is at most the observed one: with N,
// the sizes and SSD_T fixed, ΦST = 1 - σ²_W / (σ²_A + σ²_W) is a ratio of
// two functions linear in SSD_W whose derivative is -c SSD_T / (σ²_A +
// σ²_W)^2 for a constant c > 0: it falls strictly as SSD_W grows, on either
// side of the one SSD_W where σ²_A + σ²_W = 0. For d that are squared
// Euclidean distances (whole differences) SSD_A >= 0 and n0 > 1 keep σ²_A +
// σ²_W > 0 unless every d is 0, and ΦST is then NaN and never counted. Other
// d (ratios under pairwise deletion) may put a division past that point,
// where ΦST exceeds 1; Phistatleast orders those exactly too.
struct Phistplan {
  std::int32_t Size = 0, Count = 0;  // N and P
  int Shift = 0;
  std::array<std::int32_t, Maxlocalities + 1> Sizes{}, Group{};  // n_k; the class of n_k in Fractions
  Fractionplan Fractions;                                        // class 0: denominator 1; then each distinct size
  Wide Total = 0;
  std::int64_t Squares = 0;  // sum_k n_k (n_k - 1)
};

Phistplan Planphist(const Localities &division, Wide total, int unitshift);

// Whether sum_k within[k] / n_k <= sum_k observed[k] / n_k (k = 1..Count), exactly.
// Allocates nothing; O(Count) 128-bit products, more when the sizes'
// common multiple exceeds 2^62.
bool Withinatmost(const Phistplan &plan, const Wide *within, const Wide *observed);

// The sign of σ²_A + σ²_W for these within sums, exactly.
int Varianceside(const Phistplan &plan, const Wide *within);

// Whether ΦST of the within sums `within` is at least that of `observed`,
// exactly; never when either is NaN. At most three Withinatmost's cost.
bool Phistatleast(const Phistplan &plan, const Wide *within, const Wide *observed);

// ΦST of these within sums, in the formula's order; NaN for one locality or
// where σ²_A + σ²_W is exactly 0. Equal sums give the same double.
double Phistvalue(const Phistplan &plan, const Wide *within);

// ΦST of the division in file order.
double Phistof(const Distances &distances, const Localities &division);

}  // namespace halvik
