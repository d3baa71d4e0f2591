// Finds, lists and stores the segregating sites.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "seqfile/nextseq.h"
#include "seqfile/reader.h"
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

// Reads the verified file twice more: finds the sites where any sequence
// differs from the first, and stores every record's codes there in `pop`,
// whose labels, lengths and counts verification filled.
void Findsegsites(const Sequencesource &source, Population &pop, Sitereporter &reporter);

// The labels, lengths and counts of a sample in memory, as verification
// fills them from a file.
void Takerecords(const Packedsample &sample, Population &pop);
// The search of a sample in memory whose records `pop` has taken. Its records
// have one blank after the label.
void Findsegsites(const Packedsample &sample, Population &pop, Sitereporter &reporter);

}  // namespace halvik
