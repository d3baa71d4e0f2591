// One analysis of one FILE with the answers the options give: the stages
// every analysis runs, on the file as it stands when it is in Halvik's own
// format, else on the sample read from its format, writing the results file
// the dialogue would write.
#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "alignment/alignment.h"
#include "alignment/groups.h"
#include "stats/fast/engine.h"
#include "stats/localities.h"
#include "stats/observed.h"
#include "stats/subdivision.h"

namespace halvik {

struct Filerequest {
  std::string File;
  std::optional<Alignmentformat> Inputformat;  // else recognised from the content
  std::vector<std::int32_t> Starts;            // the first sequence of each locality, without a map
  const Groupmap *Groups = nullptr;            // the locality map, if one is given
  std::string Groupsname;                      // its file, for messages
  std::int32_t Lineups = 0;
  std::uint32_t Seed = 0;
  bool Everyvalue = false;  // keep every lineup's values
  bool Pairwise = false;    // also test every pair of localities
  std::atomic<std::int64_t> *Progress = nullptr;
};

// A range of sequences: a locality, or the whole sample.
struct Rangevalues {
  std::string Name, First, Last;  // the locality's name from the map, if any; its first and last labels
  std::int32_t Size = 0;
  double Pi = 0.0, K = 0.0, Kstar = 0.0;
};

// The figures of an analysis that the table, the null table and the picture
// print; a refused file has only its name, message and notes.
struct Fileresult {
  std::string File, Pair;  // Pair: empty, or the pair of localities of a pair's row
  bool Ok = false;
  std::string Message;  // why the file was refused, on one line
  std::string Notes;    // the conversions made in reading it
  std::int32_t Sequences = 0, Length = 0, Sites = 0;
  double Pn = 0.0, Theta = 0.0;
  std::vector<Rangevalues> Localities;
  Rangevalues Whole;
  Subdivision Stats{};
  std::int32_t Lineups = 0;
  std::uint32_t Seed = 0;
  Lineupcounts Counts;
  Nullvalues Null;                // every lineup's values, when asked for
  std::vector<Fileresult> Pairs;  // the pairs' rows, when asked for
};

// The analysis of the request's file. A refusal of the file is a result; a
// failed read or write of a results file throws Ioerror.
Fileresult Analysefile(const Filerequest &request);

}  // namespace halvik
