// The first pass over the sequence file: checks it and records labels and lengths.
#pragma once
#include <cstdint>
#include <string_view>

#include "seqfile/reader.h"
#include "store/store.h"

namespace halvik {

// What the pass shows while it reads: the dialogue prints it, the command
// line has no use for it. Each does nothing unless overridden.
struct Verifyreporter {
  virtual ~Verifyreporter() = default;
  // The label of the record being read has grown by a character.
  virtual void Labelgrown(std::string_view) {}
  // Record `number` has passed, with `length` nucleotides.
  virtual void Recordverified(std::int32_t /*number*/, std::string_view /*label*/, std::int32_t /*length*/) {}
  // The file holds `records` records; their lengths are checked next.
  virtual void Counted(std::int32_t /*records*/) {}
  // Every check has passed.
  virtual void Verified(std::string_view /*name*/) {}
};

// Fills the labels, lengths, Numseqs and Seqlength of `pop`, or raises the
// fatal data error of the first rule the file breaks.
void Verifysequences(const Sequencesource &source, Population &pop, Verifyreporter &reporter);

}  // namespace halvik
