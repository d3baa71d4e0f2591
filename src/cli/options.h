// The command line's options, read with getopt_long.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "alignment/alignment.h"
#include "store/missing.h"

namespace halvik {

// Auto: an aligned summary on a terminal, TSV anywhere else.
enum class Tableformat { Auto, Tsv, Json };

struct Options {
  std::vector<std::string> Files;
  std::vector<std::int32_t> Starts{1};  // --localities: the first sequence of each locality
  std::string Groups;                   // --groups: the locality map, or empty
  std::int32_t Lineups = 9999;
  std::optional<std::uint32_t> Seed;
  Tableformat Format = Tableformat::Auto;
  std::string Output;  // the table's file; empty: standard output
  bool Quiet = false;  // no progress bar and no done lines
  std::optional<Alignmentformat> Inputformat;
  std::string Null, Plot;  // --null and --plot files, or empty
  bool Pairwise = false;
  Missingpolicy Missing = Missingpolicy::State;
  std::string Resultsdir;  // where the results files go; empty: beside each FILE
  bool Noresults = false;
  bool List = false;  // list the sequences, analyse nothing
  int Threads = 0;    // workers of a permutation test; 0: one per processor
  bool Help = false, Version = false;
};

// A FILE that names standard input.
inline bool Isstdin(const std::string &file) { return file == "-"; }

struct Usageerror {
  std::string Message;
};

// The options of a command line, or what is wrong with it. A FILE is
// required unless --help or --version is given.
std::variant<Options, Usageerror> Parseoptions(int argc, char **argv);

// A whole number in lowest..highest written in decimal digits and nothing
// else, or nothing.
std::optional<std::int64_t> Wholenumber(const std::string &text, std::int64_t lowest, std::int64_t highest);

}  // namespace halvik
