// The scan's table: printers of window rows, as TSV, as JSON, and as an
// aligned summary for a terminal.
#pragma once
#include <array>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scan/result.h"

namespace halvik {

using Qrow = std::array<double, Testcount>;

// The columns, in order: chrom, start, end, records, variants, samples,
// haplotypes; each tested statistic with _count, _p1 and _q; lineups, seed,
// version, notes; the means; with --stop-after, stop_after and each
// statistic's _lineups.
std::vector<std::string> Scancolumns(bool stopafter);

std::string Scanheader(bool stopafter);
std::string Scanrow(const Windowresult &row, const Qrow &q, const Runinfo &run);
nlohmann::ordered_json Scanjson(const Windowresult &row, const Qrow &q, const Runinfo &run);

// A few columns lined up for a person: the window, its variants, and each
// statistic's value and p1.
std::string Summaryheader();
std::string Summaryrow(const Windowresult &row, const Runinfo &run);

}  // namespace halvik
