// Finds, lists and stores the segregating sites.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "seqfile/nextseq.h"
#include "seqfile/reader.h"
#include "store/missing.h"
#include "store/packedsample.h"
#include "store/store.h"

namespace halvik {

// What the passes show while they read, in the order they read: the dialogue
// prints it as it comes; the command line keeps only what the results file
// holds. Each does nothing unless overridden.
struct Sitereporter : Headreporter {
  // The search for differences from the first sequence begins.
  virtual void Searching() {}
  // Record `record` (from 2) is compared with the first; its differences follow.
  virtual void Comparing(std::int32_t /*record*/, std::string_view /*label*/) {}
  virtual void Found(std::int32_t /*site*/, Nucleotidecode /*code*/) {}
  virtual void Compared() {}
  // Every segregating site in order, before the limit on their number is checked.
  virtual void Listed(const std::vector<std::int32_t> & /*sites*/) {}
  // The storing pass begins; then each record's head and its codes at the sites.
  virtual void Storing() {}
  virtual void Stored(const Sitearray & /*codes*/, std::int32_t /*sites*/) {}
  virtual void Finished() {}
};

// Which positions segregate: under the State policy those where any
// sequence's code differs from the first's (as the dialogue has it); under
// Complete the same among the positions where no sequence carries N or -;
// under Pairwise those whose bases A, C, G and T are not all one. With
// Countgaps, the search also counts what gaps and N do (the dialogue does
// without).
struct Sitepolicy {
  Missingpolicy Missing = Missingpolicy::State;
  bool Countgaps = false;
};

// What gaps and N did in a search that counted them.
struct Gapreport {
  std::int32_t Columns = 0;  // positions where some sequence carries N or -
  std::int32_t Kept = 0;     // positions left: all but Columns under Complete, else the length
  // Segregating sites holding N or -: under Complete, those that were removed.
  std::int32_t Sites = 0;
  // Under Pairwise, each record's positions holding N or -, in order.
  std::vector<std::vector<std::int32_t>> Positions;
};

// Reads the verified file twice more: finds the segregating sites, and
// stores every record's codes there in `pop`, whose labels, lengths and
// counts verification filled.
Gapreport Findsegsites(const Sequencesource &source, Population &pop, Sitereporter &reporter,
                       const Sitepolicy &policy = {});

// The labels, lengths and counts of a sample in memory, as verification
// fills them from a file.
void Takerecords(const Packedsample &sample, Population &pop);
// The search of a sample in memory whose records `pop` has taken. Its records
// have one blank after the label.
Gapreport Findsegsites(const Packedsample &sample, Population &pop, Sitereporter &reporter,
                       const Sitepolicy &policy = {});

}  // namespace halvik
