// The record reader of the passes that follow verification.
#pragma once
#include <cstdint>

#include "store/store.h"
#include "seqfile/reader.h"

namespace halvik {

// Reads the record at which the file stands: copies its label and separating
// blanks character by character to the console and the results file, and
// stores the codes of the nucleotides of its line at positions 1..k of
// `codes`, leaving higher positions as they were. The file then stands at the
// start of the next line. Returns k.
//
// A bad nucleotide is Chartonucleotide's fatal data error, raised once the
// codes before it are stored. A record that ends the file inside its label or
// separator, or a line of more than Maxlength nucleotides, means the file has
// changed since it was verified: a fatal data error, with nothing written
// beyond position Maxlength.
std::int32_t Nextseq(Seqfile &file, Fullarray &codes);

}  // namespace halvik
