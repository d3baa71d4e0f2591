// Column by column over a sequence's packed codes, for the treatments of
// gaps and unknown bases: which positions hold one, and which positions
// segregate among the bases that are called.
#pragma once
#include <cstdint>
#include <vector>

namespace halvik {

// Marks missing[p] for every position p (1..length) where the codes hold N or
// -, and appends those positions to `positions` when it is given.
void Markmissing(const std::uint8_t *codes, std::int32_t length, bool *missing, std::vector<std::int32_t> *positions);

// Flags every position where both `reference` and `current` carry a base (A,
// C, G or T) and the bases differ; then gives `reference` the bases of
// `current` where it has none. Started from the first sequence and given
// every other in turn, it flags exactly the positions whose bases are not
// all one.
void Comparecalled(std::uint8_t *reference, const std::uint8_t *current, std::int32_t length, bool *flags);

}  // namespace halvik
