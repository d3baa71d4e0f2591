// The first pass over the sequence file: checks it and records labels and lengths.
#pragma once

#include "seqfile/reader.h"

namespace halvik {

void Verifysequences(const Sequencesource &source);

}  // namespace halvik
