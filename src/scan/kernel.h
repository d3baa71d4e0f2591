// Each lineup's within-locality sums of a window's sample-pair matrices: the
// whole cost of a window's permutation test.
//
// Two ways give the same whole numbers, and the run takes the cheaper:
//  - Pairs: for each lineup, the pairs of samples that share a locality.
//  - Tables: the samples in groups of four. For each pair of groups, the sums
//    of a matrix over every choice of samples from each (16 x 16 of them) go
//    in a table that stays in the first-level cache while every lineup looks
//    up its choice, one lookup per pair of groups where there were up to 16
//    pairs of samples. The choices are the lineups' patterns, made once.
// With two localities only the first is summed: the second is the whole
// less what the first's samples share with anything, plus the first's sum.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "scan/lineups.h"

namespace halvik {

enum class Kernelmethod { Pairs, Tables };

struct Kernel {
  Kernelmethod Method = Kernelmethod::Pairs;
  std::int32_t Groups = 0;           // of four samples, the last perhaps short
  std::vector<std::int32_t> Formed;  // the localities summed directly
  // Patterns[(f * Groups + g) * Count + r]: which of the samples 4g to 4g+3
  // lineup r puts in locality Formed[f], a bit each; a row per group, so
  // that a pair of groups reads two rows in order.
  std::vector<std::uint8_t> Patterns;
};

// The cheaper way for these lineups, or the one forced.
Kernel Plankernel(const Lineupset &lineups, std::optional<Kernelmethod> forced = std::nullopt);

// For lineups first to last - 1 and M matrices (each sample by sample, both
// halves, the pair within a sample on its diagonal), every locality's sum
// over its pairs of samples and its samples' own pairs:
// sums[((r - first) * Localities + k) * M + m].
void Withinsums(const Kernel &kernel, const Lineupset &lineups, const std::vector<const std::int64_t *> &matrices,
                std::int32_t first, std::int32_t last, std::vector<std::int64_t> &sums);

}  // namespace halvik
