// The table of a command-line run: a header and a row per analysis as
// tab-separated values, or an array of objects as JSON.
#pragma once
#include <array>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/fileanalysis.h"

namespace halvik {

// Whether the analysis tested statistic `id`: not with one locality, nor
// where the observed value is NaN (no lineup can reach it).
bool Tested(const Fileresult &result, int id);

// The columns, in order; with a pair column after file and Holm-adjusted P
// values (before groups and notes for the dialogue's statistics, at the end
// for the others) when pairs are tested.
std::string Tsvheader(bool pairwise);

// The row of an analysis, or of one of its pairs; a refused file's figures
// are empty. `holm` holds the pair's adjusted P values of the four
// statistics, or nothing for the whole sample.
std::string Tsvrow(const Fileresult &row, bool pairwise, const double *holm);

// The analysis as one object with the same fields, each locality's labels,
// size, Pi, K and K*, and, when pairs are tested, their rows and matrices.
// NaN and infinities are null.
nlohmann::ordered_json Jsonof(const Fileresult &result, bool pairwise);

// The Holm-adjusted (count + 1) / (R + 1) of each pair for each tested
// statistic: holm[pair][statistic].
using Pairadjusted = std::array<double, Testedcount>;
std::vector<Pairadjusted> Pairholm(const std::vector<Fileresult> &pairs);

}  // namespace halvik
