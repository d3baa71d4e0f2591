// Exact comparison of sums of fractions with whole denominators fixed for an
// analysis: Snn sums its records' shares over their neighbour counts, ΦST
// sums its localities' within sums over their sizes. Neither is decided
// reliably in floating point when two divisions tie.
#pragma once
#include <cstdint>
#include <vector>

#include "store/wide.h"

namespace halvik {

// The denominators t_c (distinct, 1..1000) of a sum over classes c, and
// their least common multiple L, which turns sum_c D_c / t_c into the whole
// number sum_c D_c (L / t_c) of the same sign. Scale holds L / t_c for every
// class, Words 64-bit words each, least significant first: one word when L is
// below 2^62, so that most sums are decided in one 128-bit product per class;
// else as many as L needs (L of 1..1000 takes 1438 bits).
struct Fractionplan {
  std::vector<std::int32_t> Denominators;
  int Words = 1;
  std::vector<std::uint64_t> Scale;
  Wide Limit = 0;  // with L below 2^62, the largest |D_c| whose products all sum below 2^126; else 0
};

// The plan for these denominators. Throws std::invalid_argument for a
// denominator below 1, a repeated one, or a multiple beyond 1856 bits.
Fractionplan Planfractions(const std::vector<std::int32_t> &denominators);

// The sign (-1, 0, 1) of sum_c (plus[c] - minus[c]) / t_c, exactly, for
// values in [0, 2^126). Allocates nothing; costs one product per class, or,
// when a term is too large for 128 bits, a sum in doubles and, if that sum
// is too near 0 to tell, Words products per class.
int Fractionsign(const Fractionplan &plan, const Wide *plus, const Wide *minus);

}  // namespace halvik
