// Whole-sample diversity: Pn and Theta.
#pragma once
#include <cstdint>

namespace halvik {

// Pn = S / L, the proportion of positions that are segregating.
double Pnof(std::int32_t segsites, std::int32_t length);
// Theta = (S / L) / (1 + 1/2 + ... + 1/N), the estimate of Watterson 1975
// (Theor. Popul. Biol. 7:256-276) with the harmonic sum taken to N.
double Thetaof(std::int32_t segsites, std::int32_t length, std::int32_t n);
// Watterson's estimate as it is usually given: (S / L) / (1 + ... + 1/(N - 1)).
double Thetawof(std::int32_t segsites, std::int32_t length, std::int32_t n);

}  // namespace halvik
