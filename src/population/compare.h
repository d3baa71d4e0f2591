// Pairwise comparison of two stored sequences at their segregating sites.
#pragma once
#include <cstdint>

#include "store/store.h"

namespace halvik {

// The number of positions 1..count at which the two records' codes differ.
// `length` is accepted and not used.
double Sitesdiff(const Sequencerecord &x, const Sequencerecord &y, std::int32_t count, std::int32_t length);

}  // namespace halvik
