// The files a run writes, named before anything is written, and the check
// that none of them is a file the run reads or another that it writes.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"

namespace halvik {

// What a FILE's analysis writes; an empty name: nothing of that kind.
struct Fileoutputs {
  std::string Results, Null, Plot;
};

struct Runoutputs {
  std::vector<Fileoutputs> Files;  // one per FILE, in order
};

// The names, or a usage error: standard input needs --results-dir or
// --no-results, and so does a FILE given twice (unless --no-results); two
// FILEs of one base name cannot share a --results-dir.
std::variant<Runoutputs, Usageerror> Planoutputs(const Options &options);

// A usage error naming two of the files when an output is the same file as
// an input (a FILE, the map) or as another output. Files that exist and are
// not regular files (/dev/null, a terminal, a pipe) are exempt.
std::optional<Usageerror> Findcollision(const Options &options, const Runoutputs &outputs);

// Makes the --results-dir folder if it is missing; a usage error if it cannot.
std::optional<Usageerror> Makeresultsdir(const Options &options);

}  // namespace halvik
