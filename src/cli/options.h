// The command line's options, read with getopt_long.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "alignment/alignment.h"

namespace halvik {

enum class Tableformat { Tsv, Json };

struct Options {
  std::vector<std::string> Files;
  std::vector<std::int32_t> Starts{1};  // --localities: the first sequence of each locality
  std::string Groups;                   // --groups: the locality map, or empty
  std::int32_t Lineups = 9999;
  std::optional<std::uint32_t> Seed;
  Tableformat Format = Tableformat::Tsv;
  std::string Output;  // the table's file; empty: standard output
  bool Quiet = false;
  std::optional<Alignmentformat> Inputformat;
  std::string Null, Plot;  // --null and --plot files, or empty
  bool Pairwise = false;
  bool Help = false, Version = false;
};

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
