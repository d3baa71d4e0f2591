// Every pair of localities tested on its own.
#pragma once
#include <cstdint>
#include <vector>

#include "analysis/analysis.h"
#include "cli/fileanalysis.h"

namespace halvik {

// The seed of the pair of localities i < j (from 1) in a run seeded with
// `seed`: seed + 1000 i + j, modulo 2^32.
std::uint32_t Pairseed(std::uint32_t seed, std::int32_t i, std::int32_t j);

// With three or more localities, for every pair i < j the row of the
// analysis of a file made of the two localities' sequences in file order,
// divided between them and seeded with Pairseed: the same figures, computed
// from the analysis of the whole file, or, under complete deletion, whose
// positions depend on the pair, from the pair's own sequences in `sample`.
// Nothing is written anywhere.
std::vector<Fileresult> Testpairs(const Analysis &analysis, const Fileresult &whole, const Filerequest &request,
                                  const Packedsample *sample);

}  // namespace halvik
