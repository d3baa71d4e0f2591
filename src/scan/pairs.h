// A window's differences between haplotypes and between samples.
//
// A pair of samples is compared at the records where both are called, and
// its total is scaled by the window's records over those: d = differing
// records x records / common records. The sums the statistics compare are
// taken over whole-number images of the differences, d x 2^shift rounded, so
// that every sum over pairs is exact and the same in any order, on any
// number of threads; the shift keeps the largest possible sum below 2^61.
#pragma once
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "scan/window.h"

namespace halvik {

struct Pairimages {
  std::int32_t Samples = 0, Ploidy = 0, Haplotypes = 0;
  std::int64_t Records = 0;
  // Common[a * Samples + b]: records where samples a and b are both called;
  // on the diagonal, where a is.
  std::vector<std::int32_t> Common;
  // Differ[i * Haplotypes + j]: records where haplotypes i and j differ,
  // among those where both their samples are called.
  std::vector<std::int32_t> Differ;
  // Sample-pair matrices, both halves filled: at [a][b] the images of d
  // summed over the haplotype pairs between a and b; at [a][a] the image of
  // the pair within a (0 for a haploid sample). Logs holds ln(1 + d).
  std::vector<std::int64_t> Plain, Logs;
  int Plainshift = 0, Logshift = 0;
};

// Calls use(i, j) for each pair of haplotypes i < j, i of sample a and j of
// sample b (a <= b): the pair within a diploid when a is b. Haplotypes are
// numbered sample by sample; a call has one allele or two.
template <class Use>
[[gnu::always_inline]] inline void Eachpair(std::int32_t a, std::int32_t b, std::int32_t ploidy, Use use) {
  if (ploidy == 1) {
    if (a != b) use(a, b);
    return;
  }
  if (a == b) {
    use(2 * a, 2 * a + 1);
    return;
  }
  use(2 * a, 2 * b), use(2 * a, 2 * b + 1), use(2 * a + 1, 2 * b), use(2 * a + 1, 2 * b + 1);
}

// The counts of common and differing records. A pair of samples that share
// no called record comes back, and then nothing else is filled.
std::optional<std::pair<std::int32_t, std::int32_t>> Countpairs(const Windowdata &window, Pairimages &sums);

// The plain images, and with `logs` the log-transformed ones too.
void Formimages(Pairimages &sums, bool logs);

}  // namespace halvik
