// The shuffles of the permutation test, drawn from the generator a block of
// outputs at a time: the same lineups, and the generator left at the same
// point, as the literal shuffle calling Rnd(1, n) once per draw.
#pragma once
#include <cstdint>

#include "store/store.h"
#include "stats/random.h"

namespace halvik {

// The generator carried on from its own outputs, a whole block of them at a
// time: a twist of the state, the tempering and the reduction to a draw are
// each one loop over the block, which the compiler vectorises; a shuffle then
// only scans the block. Draws that can go nowhere else, 16 bits hold a record
// number.
struct Drawstate {
  static constexpr int Words = Mersennetwister::Words;
  std::int32_t N;
  // The words of the block before (unknown for the first block) and of the
  // block whose outputs are being used; Next is the next output's position.
  alignas(64) std::uint32_t Previous[Words];
  alignas(64) std::uint32_t Current[Words];
  // Each output of Current as the draw of Rnd(1, N) it makes, less one:
  // output mod N, or N for an output Rnd rejects (it then draws again).
  alignas(64) std::uint16_t Values[Words];
  int Next;
  std::int64_t Blocks;    // blocks twisted after the first
  std::uint32_t Magic;    // floor(2^32 / N)
  std::uint32_t Highest;  // the largest output Rnd(1, N) takes
  int Vectors;            // the widest vectors used: 512, 256 or 128 bits
  // The records placed in the lineup being drawn carry its stamp, and so
  // does N, the value of a rejected output: a fresh stamp clears the table.
  std::uint32_t Stamp;
  std::uint32_t Placed[Maxseqs + 1];
  Mersennetwister Saved;  // the generator as Startdraws found it
};

// Takes the generator over for lineups of records 1..n, with the processor's
// widest vectors, or none wider than `vectors` bits (128, 256 or 512) if that
// is given. The generator must be seeded.
void Startdraws(Drawstate &draws, std::int32_t n, Mersennetwister &generator, int vectors = 0);

// The next lineup into order[0..n-1]: order[p-1] + 1 is the record at
// position p. Position i takes the first draw of Rnd(1, n) not placed before.
void Drawlineup(Drawstate &draws, std::int32_t *order);

// Hands the generator back exactly where the literal shuffle would have left
// it after the lineups drawn since Startdraws.
void Stopdraws(const Drawstate &draws, Mersennetwister &generator);

}  // namespace halvik
