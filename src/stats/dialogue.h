// The dialogue in which the user divides the sequences into localities.
#pragma once

#include <cstdint>

#include "stats/localities.h"

namespace halvik {

// Lists the sequences, asks for the number of localities and the first
// sequence of each, shows the division and asks for confirmation, until the
// user confirms one. Each division asked for leaves its count in the results
// file.
Localities Definelocalities();

// The results-file line of a division's number of localities.
void Writelocalitycount(std::int32_t count);

}  // namespace halvik
