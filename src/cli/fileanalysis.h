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
#include "stats/enumeration.h"
#include "stats/fast/engine.h"
#include "stats/localities.h"
#include "stats/observed.h"
#include "stats/subdivision.h"
#include "store/missing.h"

namespace halvik {

struct Filerequest {
  std::string File;              // as given; "-" is standard input
  const std::string *Bytes = nullptr;  // the FILE's bytes when it was read whole (standard input)
  std::string Results;           // the results file; empty: none
  std::optional<Alignmentformat> Inputformat;  // else recognised from the content
  std::vector<std::int32_t> Starts;            // the first sequence of each locality, without a map
  const Groupmap *Groups = nullptr;            // the locality map, if one is given
  std::string Groupsname;                      // its file, for messages
  std::int32_t Lineups = 0;
  std::uint32_t Seed = 0;
  bool Everyvalue = false;  // keep every lineup's values
  bool Pairwise = false;    // also test every pair of localities
  Missingpolicy Missing = Missingpolicy::State;
  bool Extended = true;  // Snn, ΦST and exact P too (the bench times the four alone)
  int Workers = 0;       // of the permutation test; 0: one per processor
  std::atomic<std::int64_t> *Progress = nullptr;
};

// Ok: analysed. Refused: the data cannot be analysed as asked. Failed: the
// FILE could not be read, or a file of its analysis not written.
enum class Filestatus { Ok, Refused, Failed };

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
  Filestatus Status = Filestatus::Refused;
  bool Ok() const { return Status == Filestatus::Ok; }
  std::string Message;  // why the file was refused or failed, on one line
  std::string Notes;    // what reading it did: the format's conversions, the map
  // What the user must know of the figures: what gaps and N did, a test
  // that tested nothing. On standard error and in the notes column.
  std::vector<std::string> Warnings;
  std::int32_t Sequences = 0, Length = 0, Sites = 0;
  double Pn = 0.0, Theta = 0.0, Thetaw = 0.0;
  Missingpolicy Missing = Missingpolicy::State;
  std::int32_t Positions = 0;  // what Pn is taken over (see Analysis)
  // How many segregating sites hold N or - (under complete deletion: held,
  // before their positions were removed); and positions holding them.
  std::int32_t Gappedsites = 0, Gappedcolumns = 0;
  std::vector<Rangevalues> Localities;
  Rangevalues Whole;
  Subdivision Stats{};
  std::int32_t Lineups = 0;
  std::uint32_t Seed = 0;
  Lineupcounts Counts;
  Exactshares Shares;             // exact P values, where the divisions were few enough to visit
  Nullvalues Null;                // every lineup's values, when asked for
  std::vector<Fileresult> Pairs;  // the pairs' rows, when asked for
};

// What gaps and N did to a sample of `sites` segregating sites, `gapped` of
// which hold one (under complete deletion: held, in `columns` positions,
// leaving `kept`); empty when none does.
std::string Gapwarning(Missingpolicy policy, std::int32_t sites, std::int32_t gapped, std::int32_t columns,
                       std::int32_t kept);

// The table's figures of a finished analysis, into `result`.
struct Analysis;
void Takefigures(const Analysis &analysis, Fileresult &result);

// The analysis of the request's file. A refusal of the file, or a failure to
// read it or to write its results file, is a result.
Fileresult Analysefile(const Filerequest &request);

}  // namespace halvik
