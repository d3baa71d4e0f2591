// The first pass over the sequence file: checks it and records labels and lengths.
#pragma once

namespace halvik {

void Verifysequences();

}  // namespace halvik
