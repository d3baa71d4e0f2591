// Finds, lists and stores the segregating sites.
#pragma once

#include "seqfile/reader.h"

namespace halvik {

void Findsegsites(const Sequencesource &source);

}  // namespace halvik
