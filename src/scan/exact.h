// The sign of a sum of fractions with small denominators, exactly: the
// comparisons of PhiST and Snn between a lineup and the observed division.
#pragma once
#include <cstdint>
#include <vector>

namespace halvik {

class Fractionsum {
 public:
  // The denominators, each from 1 to 2^31.
  explicit Fractionsum(const std::vector<std::uint32_t> &denominators);
  // -1, 0 or 1: the sign of sum_j numerators[j] / denominators[j].
  int Sign(const std::int64_t *numerators) const;

 private:
  // A whole number as 32-bit limbs, lowest first.
  using Big = std::vector<std::uint32_t>;
  std::vector<std::uint32_t> Denominators;
  std::vector<Big> Cofactors;  // the least common multiple over each denominator
};

}  // namespace halvik
