// What --null and --plot write for an analysis: every lineup's values as a
// table, and their picture.
#pragma once
#include <cstddef>
#include <string>

#include "cli/fileanalysis.h"
#include "cli/plot.h"

namespace halvik {

// The name of the file for the FILE at `position` (from 1) of `files`: the
// name as given for a single FILE; else with "-position" before its
// extension (plot.svg: plot-2.svg), or after it when it has none.
std::string Numberedname(const std::string &given, std::size_t position, std::size_t files);

// A header "lineup kst fst kstar_st fstar_sb", then a row per lineup in the
// order drawn: its number from 1 and its four values.
std::string Nulltable(const Fileresult &result);

// The picture's data: the four statistics' lineup values and observed ones.
Plotinput Plotof(const Fileresult &result);

}  // namespace halvik
