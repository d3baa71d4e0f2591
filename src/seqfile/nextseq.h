// The record reader of the passes that follow verification.
#pragma once
#include <cstdint>
#include <string_view>

#include "seqfile/reader.h"
#include "store/store.h"

namespace halvik {

// Receives the label of a record with the blanks and line ends after it, as
// the file holds them (a line end reads as a blank), before its nucleotides.
struct Headreporter {
  virtual ~Headreporter() = default;
  virtual void Head(std::string_view) {}
};

// Reads the record at which the file stands: reports its label and
// separating blanks, and stores the codes of the nucleotides of its line at positions 1..k of
// `codes`, leaving higher positions as they were. The file then stands at the
// start of the next line. Returns k.
//
// A bad nucleotide is Chartonucleotide's fatal data error, raised once the
// codes before it are stored. A record that ends the file inside its label or
// separator, or a line of more than Maxlength nucleotides, means the file has
// changed since it was verified: a fatal data error, with nothing written
// beyond position Maxlength. The head read so far is reported before a
// fatal data error too.
std::int32_t Nextseq(Seqfile &file, Fullarray &codes, Headreporter &reporter);

}  // namespace halvik
