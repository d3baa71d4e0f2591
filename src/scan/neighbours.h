// Snn (Hudson 2000) as sums over pairs of samples, so that a lineup's Snn is
// a within-locality sum like the others.
//
// Haplotype i has T_i nearest neighbours (every j at the smallest d_ij, its
// own sample's other haplotype left out, since it always moves with it), of
// which W_i are in its locality; Snn = (1/N) sum_i W_i / T_i. Each neighbour
// of i in sample b adds 1 / T_i to the weight of the pair (sample of i, b).
// Scaled by L, the least common multiple of the T_i, every weight is a
// whole number and Snn's comparisons are exact. When L is too large for
// that, one matrix of neighbour counts is kept for each distinct T, and a
// lineup's Snn is compared as the rational sum_t count_t / t.
#pragma once
#include <cstdint>
#include <vector>

#include "scan/pairs.h"

namespace halvik {

struct Neighbours {
  // With one matrix, Denominators is empty and Scale is L; otherwise matrix
  // d counts the neighbours of haplotypes with T = Denominators[d].
  std::vector<std::vector<std::int64_t>> Matrices;  // sample by sample, both halves, 0 on the diagonal
  std::vector<std::uint32_t> Denominators;
  std::int64_t Scale = 1;
};

// `largest` bounds L for one matrix (below it, every weight summed stays
// below 2^62); tests lower it to reach the other way.
Neighbours Nearest(const Pairimages &sums, std::int64_t largest = INT64_MAX);

}  // namespace halvik
