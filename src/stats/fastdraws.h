// The shuffles of the permutation test, drawn from the random source a block
// of outputs at a time: the same lineups, and the source left at the same
// point, as the literal shuffle calling Rnd(1, n) once per draw.
#pragma once
#include <cstdint>

namespace halvik {

// Takes over the random source for lineups of records 1..n, with the
// processor's widest vectors, or none wider than `vectors` bits (128, 256 or
// 512) if that is given.
void Startdraws(std::int32_t n, int vectors = 0);

// The next lineup into order[0..n-1]: order[p-1] + 1 is the record at
// position p. Position i takes the first draw of Rnd(1, n) not placed before.
void Drawlineup(std::int32_t *order);

// Hands the random source back exactly where the literal shuffle would have
// left it after the lineups drawn since Startdraws.
void Stopdraws();

}  // namespace halvik
