#include "population/difftable.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace halvik {

namespace {

// Each record's codes as three bit planes (bit 0, 1 and 2 of every code),
// one bit per site, each plane `words` words long and the three one after
// another. Two codes differ exactly when some plane differs, so a pair costs
// three exclusive-ors and a popcount per 64 sites, and contiguous planes let
// the compiler do eight words at once where the processor can count bits in
// vectors. Within a word the sites lie in any order, the same for every
// record: only counts are taken.
struct Planes {
  int Words;                        // 64-bit words per plane
  std::vector<std::uint64_t> Bits;  // the three planes of record x from x * 3 * Words on
};

// For three codes (nine bits, the first highest): their bit 0s in bits 0-2,
// their bit 1s in bits 8-10 and their bit 2s in bits 16-18.
struct Spreadtable {
  std::uint32_t Bits[512];
  constexpr Spreadtable() : Bits{} {
    for (unsigned nine = 0; nine < 512; ++nine)
      for (unsigned j = 0; j < 3; ++j)
        for (unsigned plane = 0; plane < 3; ++plane)
          Bits[nine] |= (nine >> (6 - 3 * j + plane) & 1u) << (8 * plane + j);
  }
};
constexpr Spreadtable Spread;

void Unpack(const Sitearray &sites, std::int32_t count, std::uint64_t *planes, int words) {
  std::fill(planes, planes + 3 * words, 0);
  // Codes past `count` are masked off.
  for (int g = 0; 8 * g < count; ++g) {
    const std::uint32_t group = Getgroup(sites, g);
    const std::uint32_t bits =
        Spread.Bits[group >> 15] | Spread.Bits[group >> 6 & 511u] << 3 | Spread.Bits[group << 3 & 511u] << 6;
    const int codes = std::min(8, count - 8 * g);
    const std::uint64_t keep = (1u << codes) - 1u;
    const int word = g / 8, shift = 8 * (g % 8);
    for (int plane = 0; plane < 3; ++plane) planes[plane * words + word] |= (bits >> (8 * plane) & keep) << shift;
  }
}

[[gnu::always_inline]] inline std::uint16_t Countpair(const std::uint64_t *x, const std::uint64_t *y, int words) {
  int diffs = 0;
  for (int w = 0; w < words; ++w)
    diffs += std::popcount((x[w] ^ y[w]) | (x[w + words] ^ y[w + words]) | (x[w + 2 * words] ^ y[w + 2 * words]));
  return static_cast<std::uint16_t>(diffs);
}

// A code is N or - exactly when its bit 2 is set; where neither is, the two
// differ exactly when bit 0 or bit 1 does.
[[gnu::always_inline]] inline std::uint16_t Countcalled(const std::uint64_t *x, const std::uint64_t *y, int words) {
  int diffs = 0;
  for (int w = 0; w < words; ++w)
    diffs += std::popcount(((x[w] ^ y[w]) | (x[w + words] ^ y[w + words])) & ~(x[w + 2 * words] | y[w + 2 * words]));
  return static_cast<std::uint16_t>(diffs);
}

// Pairs in blocks of rows, so that one block of planes serves many rows
// while it is in cache.
template <bool Calledonly>
[[gnu::always_inline]] inline void Countall(const Planes &planes, Differencetable &table) {
  constexpr int Block = 32;
  const std::int32_t n = table.Size;
  const int words = planes.Words, stride = 3 * words;
  const std::uint64_t *bits = planes.Bits.data();
  for (int xb = 0; xb < n; xb += Block)
    for (int yb = xb; yb < n; yb += Block)
      for (int x = xb; x < std::min(n, xb + Block); ++x)
        for (int y = std::max(yb, x + 1); y < std::min(n, yb + Block); ++y) {
          const std::uint16_t d = Calledonly ? Countcalled(bits + x * stride, bits + y * stride, words)
                                             : Countpair(bits + x * stride, bits + y * stride, words);
          table.Cells[x * n + y] = d;
          table.Cells[y * n + x] = d;
        }
}

template <bool Calledonly>
void Countplain(const Planes &p, Differencetable &t) {
  Countall<Calledonly>(p, t);
}

// The same loop where the processor has a popcount instruction, and where it
// counts the bits of eight words at once.
template <bool Calledonly>
[[gnu::target("popcnt")]] void Countpopcnt(const Planes &p, Differencetable &t) {
  Countall<Calledonly>(p, t);
}

template <bool Calledonly>
[[gnu::target("avx512f,avx512vl,avx512bw,avx512vpopcntdq,popcnt")]] void Countvectors(const Planes &p,
                                                                                      Differencetable &t) {
  Countall<Calledonly>(p, t);
}

template <bool Calledonly>
void Countwithbest(const Planes &planes, Differencetable &table, int vectors) {
  __builtin_cpu_init();
  const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                    __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vpopcntdq");
  if (wide && vectors != 128)
    Countvectors<Calledonly>(planes, table);
  else if (__builtin_cpu_supports("popcnt"))
    Countpopcnt<Calledonly>(planes, table);
  else
    Countplain<Calledonly>(planes, table);
}

}  // namespace

Differencetable Builddifftable(const Population &pop, int vectors, bool calledonly) {
  const std::int32_t n = pop.Numseqs, count = std::max(pop.Numsegsites, 0);
  Planes planes{(count + 63) / 64, {}};
  planes.Bits.resize(static_cast<std::size_t>(n) * 3 * static_cast<std::size_t>(planes.Words));
  for (std::int32_t x = 0; x < n; ++x)
    Unpack(pop.Seqs[x + 1].Sites, count, planes.Bits.data() + x * 3 * planes.Words, planes.Words);
  Differencetable table;
  table.Size = n;
  table.Cells.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
  if (calledonly)
    Countwithbest<true>(planes, table, vectors);
  else
    Countwithbest<false>(planes, table, vectors);
  return table;
}

// Each record's missing positions as bits over only the positions where any
// record has one, so that the common ones of a pair cost a popcount per 64
// such positions.
std::vector<std::int32_t> Sharedpositions(const std::vector<std::vector<std::int32_t>> &missing, std::int32_t length) {
  const auto n = missing.size();
  std::vector<std::int32_t> column(static_cast<std::size_t>(length) + 1, -1);
  std::int32_t columns = 0;
  for (const auto &positions : missing)
    for (const std::int32_t p : positions)
      if (column[static_cast<std::size_t>(p)] < 0) column[static_cast<std::size_t>(p)] = columns++;
  const auto words = static_cast<std::size_t>((columns + 63) / 64);
  std::vector<std::uint64_t> bits(n * words, 0);
  for (std::size_t x = 0; x < n; ++x)
    for (const std::int32_t p : missing[x]) {
      const auto c = static_cast<std::size_t>(column[static_cast<std::size_t>(p)]);
      bits[x * words + c / 64] |= std::uint64_t{1} << (c % 64);
    }
  std::vector<std::int32_t> shared(n * n, 0);
  for (std::size_t x = 0; x < n; ++x)
    for (std::size_t y = x; y < n; ++y) {
      std::int32_t both = 0;
      for (std::size_t w = 0; w < words; ++w) both += std::popcount(bits[x * words + w] & bits[y * words + w]);
      const auto eitherx = static_cast<std::int32_t>(missing[x].size()), eithery = static_cast<std::int32_t>(missing[y].size());
      shared[x * n + y] = shared[y * n + x] = length - eitherx - eithery + both;
    }
  return shared;
}

}  // namespace halvik
