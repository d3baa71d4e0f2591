// The limits of an analysis, for both faces of the program.
#pragma once
#include <cstddef>

namespace halvik {

inline constexpr int Maxseqs = 1000;                 // sequences in a sample
inline constexpr int Maxlength = 100000;             // bases per sequence
inline constexpr int Maxsegsites = 10000;            // segregating sites
inline constexpr int Maxlocalities = 30;             // localities of a division
inline constexpr int Maxlineups = 29999;             // randomized lineups of a test
inline constexpr std::size_t Longestlabel = 254;     // characters of a label

}  // namespace halvik
