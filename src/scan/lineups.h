// The run's lineups of samples, drawn once: every window is tested with the
// same ones, so that windows are comparable, a run repeats under its seed,
// and nothing depends on which thread tests which window.
#pragma once
#include <cstdint>
#include <vector>

namespace halvik {

struct Lineupset {
  std::int32_t Samples = 0, Count = 0, Localities = 0;
  std::vector<std::int32_t> Sizes;  // samples per locality
  // Locality[r * Samples + s]: the locality lineup r gives sample s, a byte
  // each, so that a run of 29999 lineups of 1000 samples takes 30 MB.
  std::vector<std::uint8_t> Locality;
};

// `count` lineups of the samples, whose localities hold `sizes` samples in
// order, drawn as the permutation test draws them from the seed: position p
// of a lineup falls in the locality the observed division gives position p.
Lineupset Drawlineups(const std::vector<std::int32_t> &sizes, std::int32_t count, std::uint32_t seed);

}  // namespace halvik
