// Mean pairwise differences within a range of a lineup and between localities.
//
// For records x and y, d(x, y) is the number of segregating sites at which
// they differ (Sitesdiff) and pi(x, y) = d(x, y) / L. Over a range of m
// positions there are m(m - 1)/2 pairs; between localities, sum n_i n_j.
#pragma once
#include <cstdint>

#include "stats/distances.h"
#include "stats/localities.h"

namespace halvik {

// K_j = sum over pairs a < b in first..last of d / (m(m-1)/2): the mean number
// of differences within a locality (Hudson, Boos and Kaplan 1992, Mol. Biol.
// Evol. 9:138-151).
double Kj(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup);

// K*_j = the mean over the same pairs of ln(1 + d), the log-transformed form
// of Hudson, Boos and Kaplan 1992.
double Kjstar(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup);

// Pi_ij = the mean over the same pairs of d / L, nucleotide diversity (Nei
// and Li 1979, PNAS 76:5269-5273).
double Piij(const Distances &distances, std::int32_t first, std::int32_t last, const Lineup &lineup);

// F_b = sum over pairs x, y in different localities of d / sum n_i n_j: the
// mean difference between localities (Hudson, Slatkin and Maddison 1992,
// Genetics 132:583-589). NaN with a single locality (0 / 0).
double Fbetween(const Distances &distances, const Starttable &start, std::int32_t count, const Lineup &lineup);

// F*_b = the mean over the same pairs of ln(1 + d).
double Fbetweenstar(const Distances &distances, const Starttable &start, std::int32_t count, const Lineup &lineup);

}  // namespace halvik
