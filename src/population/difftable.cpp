#include "population/difftable.h"

#include <algorithm>
#include <bit>

namespace halvik {

Differencetable Diffs;

namespace {

bool Current = false;

constexpr int Maxwords = (Maxsegsites + 63) / 64;

// Each record's codes as three bit planes (bit 0, 1 and 2 of every code), one
// bit per site, the three words of each 64 sites side by side. Two codes
// differ exactly when some plane differs, so a pair costs three exclusive-ors
// and a popcount per 64 sites.
std::uint64_t Planes[Maxseqs * Maxwords * 3];

void Unpack(const Sitearray &sites, std::int32_t count, std::uint64_t *planes) {
  const int words = (count + 63) / 64;
  std::fill(planes, planes + 3 * words, 0);
  // Eight codes fill three bytes, and 64 sites hold eight such groups.
  for (int g = 0; 8 * g < count; ++g) {
    const unsigned group = static_cast<unsigned>(sites.Bytes[3 * g]) << 16 |
                           static_cast<unsigned>(sites.Bytes[3 * g + 1]) << 8 | sites.Bytes[3 * g + 2];
    const int codes = std::min(8, count - 8 * g);
    std::uint64_t *word = planes + 3 * (g / 8);
    for (int j = 0; j < codes; ++j) {
      const unsigned code = group >> (21 - 3 * j) & 7u;
      const int bit = (8 * g + j) % 64;
      for (int plane = 0; plane < 3; ++plane) word[plane] |= std::uint64_t{code >> plane & 1u} << bit;
    }
  }
}

[[gnu::always_inline]] inline std::uint16_t Countpair(const std::uint64_t *x, const std::uint64_t *y, int words) {
  int diffs = 0;
  for (int w = 0; w < 3 * words; w += 3)
    diffs += std::popcount((x[w] ^ y[w]) | (x[w + 1] ^ y[w + 1]) | (x[w + 2] ^ y[w + 2]));
  return static_cast<std::uint16_t>(diffs);
}

// Pairs in blocks of rows, so that one block of planes serves many rows
// while it is in cache.
[[gnu::always_inline]] inline void Countall(std::int32_t n, int words) {
  constexpr int Block = 32;
  const int stride = 3 * words;
  for (int xb = 0; xb < n; xb += Block)
    for (int yb = xb; yb < n; yb += Block)
      for (int x = xb; x < std::min(n, xb + Block); ++x)
        for (int y = std::max(yb, x + 1); y < std::min(n, yb + Block); ++y) {
          const std::uint16_t d = Countpair(Planes + x * stride, Planes + y * stride, words);
          Diffs.Cells[x * n + y] = d;
          Diffs.Cells[y * n + x] = d;
        }
}

void Countplain(std::int32_t n, int words) { Countall(n, words); }

// The same loop where the processor has a popcount instruction.
[[gnu::target("popcnt")]] void Countpopcnt(std::int32_t n, int words) { Countall(n, words); }

}  // namespace

void Builddifftable() {
  const std::int32_t n = Pop.Numseqs, count = std::max(Pop.Numsegsites, 0);
  const int words = (count + 63) / 64;
  for (std::int32_t x = 0; x < n; ++x) Unpack(Pop.Seqs[x + 1].Sites, count, Planes + x * 3 * words);
  Diffs.Size = n;
  for (std::int32_t x = 0; x < n; ++x) Diffs.Cells[x * n + x] = 0;
  __builtin_cpu_init();
  if (__builtin_cpu_supports("popcnt"))
    Countpopcnt(n, words);
  else
    Countplain(n, words);
}

Difftablescope::Difftablescope() {
  Builddifftable();
  Current = true;
}

Difftablescope::~Difftablescope() { Current = false; }

bool Difftablecurrent() { return Current; }

}  // namespace halvik
