// The number of differing stored sites for every two sequences of Pop,
// counted once per analysis so that a randomized lineup costs one look-up per
// pair instead of a comparison over all S sites.
#pragma once
#include <cstdint>

#include "population/store.h"

namespace halvik {

// Row-major over records 1..Size with rows Size cells long: records x and y
// meet in cell (x-1)*Size + (y-1). Rows of the sample's own length keep the
// used part of the table compact in cache. 16 bits hold any count up to
// Maxsegsites. Symmetric, zero on the diagonal; equal to Sitesdiff for every
// pair of records 1..Size over sites 1..Numsegsites at the time of the build.
struct Differencetable {
  std::int32_t Size;
  std::uint16_t Cells[Maxseqs * Maxseqs];
};

extern Differencetable Diffs;

// Fills Diffs from records 1..Numseqs of Pop over sites 1..Numsegsites,
// with the processor's vector popcount if it has one and `vectors` is not
// 128 (tests compare both).
void Builddifftable(int vectors = 0);

// While one of these lives, Diffs holds the sample in Pop (built when it is
// made) and its users may read the table instead of comparing sites. The
// holder must not change Pop meanwhile; the table stops counting as current
// when the holder goes, however it goes.
struct Difftablescope {
  Difftablescope();
  ~Difftablescope();
  Difftablescope(const Difftablescope &) = delete;
  Difftablescope &operator=(const Difftablescope &) = delete;
};

// Whether a Difftablescope is alive.
bool Difftablecurrent();

inline std::int32_t Tablediff(std::int32_t x, std::int32_t y) {
  return Diffs.Cells[(x - 1) * Diffs.Size + (y - 1)];
}

}  // namespace halvik
