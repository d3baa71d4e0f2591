// --list: the sequences of every FILE, numbered as --localities counts them,
// and nothing analysed.
#pragma once
#include "alignment/groups.h"
#include "cli/options.h"

namespace halvik {

// Writes a row per sequence (file, number, label, and its locality when a
// map is given) as TSV, or as a JSON array with -f json, to the table's
// destination; the exit status: 1 if a FILE could not be read as an alignment.
int Listsequences(const Options &options, const Groupmap *groups);

}  // namespace halvik
