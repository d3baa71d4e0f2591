#include "stats/fastdraws.h"

#include <algorithm>
#include <locale>
#include <random>
#include <sstream>
#include <string>

#include "population/store.h"
#include "stats/random.h"

namespace halvik {

namespace {

// MT19937 (the random source's generator, std::mt19937): its state of 624
// words, and the distance to the third word each new word mixes in.
constexpr int Words = 624, Gap = 397;

// The generator carried on here from its own outputs, a whole block of them
// at a time: a twist of the state, the tempering and the reduction to a draw
// are each one loop over the block, which the compiler vectorises; a shuffle
// then only scans the block. Draws that can go nowhere else, 16 bits hold a
// record number.
static_assert(Maxseqs < 65536);
struct Drawstate {
  std::int32_t N;
  // The words of the block before (unknown for the first block) and of the
  // block whose outputs are being used; Next is the next output's position.
  alignas(64) std::uint32_t Previous[Words];
  alignas(64) std::uint32_t Current[Words];
  // Each output of Current as the draw of Rnd(1, N) it makes, less one:
  // output mod N, or N for an output Rnd rejects (it then draws again).
  alignas(64) std::uint16_t Values[Words];
  int Next;
  std::int64_t Blocks;  // blocks twisted after the first
  std::uint32_t Magic;    // floor(2^32 / N)
  std::uint32_t Highest;  // the largest output Rnd(1, N) takes
  int Vectors;            // the widest vectors of the processor: 512, 256 or 128 bits
  // The records placed in the lineup being drawn carry its stamp, and so
  // does N, the value of a rejected output: a fresh stamp clears the table.
  std::uint32_t Stamp;
  std::uint32_t Placed[Maxseqs + 1];
  std::mt19937 Saved;  // the generator as Startdraws found it
};

Drawstate Draws;

inline std::uint32_t Mix(std::uint32_t low, std::uint32_t high, std::uint32_t far) {
  const std::uint32_t y = (low & 0x80000000u) | (high & 0x7fffffffu);
  return far ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908b0dfu);
}

std::uint32_t Untemper(std::uint32_t y) {
  y ^= y >> 18;
  y ^= y << 15 & 0xefc60000u;
  std::uint32_t x = y;
  for (int k = 0; k < 4; ++k) x = y ^ (x << 7 & 0x9d2c5680u);
  y = x;
  for (int k = 0; k < 2; ++k) x = y ^ (x >> 11);
  return x;
}

// The draws of one block of words. The quotient of an output r < 2^32 by N
// is taken as r * floor(2^32 / N) / 2^32, rounded down: less than r/N by
// less than r/2^32 < 1, so it is the quotient or one below, and one
// correction brings the remainder into 0..N-1.
[[gnu::always_inline]] inline void Reduce(const std::uint32_t *__restrict words, std::uint16_t *__restrict values,
                                          std::uint32_t n, std::uint32_t magic, std::uint32_t highest) {
  for (int i = 0; i < Words; ++i) {
    std::uint32_t r = words[i];
    r ^= r >> 11;
    r ^= r << 7 & 0x9d2c5680u;
    r ^= r << 15 & 0xefc60000u;
    r ^= r >> 18;
    const auto quotient = static_cast<std::uint32_t>(static_cast<std::uint64_t>(r) * magic >> 32);
    std::uint32_t rest = r - quotient * n;
    rest -= rest >= n ? n : 0u;
    values[i] = static_cast<std::uint16_t>(r > highest ? n : rest);
  }
}

[[gnu::always_inline]] inline void Twist(std::uint32_t *__restrict w) {
  for (int i = 0; i < Words - Gap; ++i) w[i] = Mix(w[i], w[i + 1], w[i + Gap]);
  for (int i = Words - Gap; i < Words - 1; ++i) w[i] = Mix(w[i], w[i + 1], w[i + Gap - Words]);
  w[Words - 1] = Mix(w[Words - 1], w[0], w[Gap - 1]);
}

// The same loops for the processor's widest vectors.
[[gnu::always_inline]] inline void Fillwith(std::uint32_t *words, std::uint16_t *values, std::uint32_t n,
                                            std::uint32_t magic, std::uint32_t highest, bool twist) {
  if (twist) Twist(words);
  Reduce(words, values, n, magic, highest);
}

void Fillplain(std::uint32_t *w, std::uint16_t *v, std::uint32_t n, std::uint32_t m, std::uint32_t h, bool t) {
  Fillwith(w, v, n, m, h, t);
}

[[gnu::target("avx2")]] void Fillavx2(std::uint32_t *w, std::uint16_t *v, std::uint32_t n, std::uint32_t m,
                                      std::uint32_t h, bool t) {
  Fillwith(w, v, n, m, h, t);
}

[[gnu::target("avx512f,avx512vl,avx512bw,avx512dq")]] void Fillavx512(std::uint32_t *w, std::uint16_t *v,
                                                                     std::uint32_t n, std::uint32_t m,
                                                                     std::uint32_t h, bool t) {
  Fillwith(w, v, n, m, h, t);
}

void Fill(bool twist) {
  Drawstate &d = Draws;
  const auto n = static_cast<std::uint32_t>(d.N);
  if (d.Vectors == 512)
    Fillavx512(d.Current, d.Values, n, d.Magic, d.Highest, twist);
  else if (d.Vectors == 256)
    Fillavx2(d.Current, d.Values, n, d.Magic, d.Highest, twist);
  else
    Fillplain(d.Current, d.Values, n, d.Magic, d.Highest, twist);
}

void Refill() {
  Drawstate &d = Draws;
  std::copy(d.Current, d.Current + Words, d.Previous);
  Fill(true);
  d.Next = 0;
  ++d.Blocks;
}

}  // namespace

void Startdraws(std::int32_t n, int vectors) {
  Drawstate &d = Draws;
  d.N = n;
  const std::uint64_t span = std::uint64_t{1} << 32;
  d.Magic = n < 2 ? 0 : static_cast<std::uint32_t>(span / static_cast<std::uint64_t>(n));
  d.Highest = n < 2 ? 0 : static_cast<std::uint32_t>(span - span % static_cast<std::uint64_t>(n) - 1);
  __builtin_cpu_init();
  d.Vectors = 128;
  if (__builtin_cpu_supports("avx2")) d.Vectors = 256;
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq"))
    d.Vectors = 512;
  if (vectors > 0) d.Vectors = std::min(d.Vectors, vectors);
  d.Stamp = 0;
  std::fill(d.Placed, d.Placed + n + 1, 0u);
  d.Next = Words;
  d.Blocks = -1;  // Rnd(1, n) below 2 uses no output
  if (n < 2) return;
  // The first draw would seed an unseeded source. The next 624 outputs give
  // the next 624 words of the state, from which every later one follows.
  if (!Generatorseeded) Randomize();
  d.Saved = Generator;
  for (std::uint32_t &word : d.Current) word = Untemper(static_cast<std::uint32_t>(Generator()));
  Fill(false);
  d.Next = 0;
  d.Blocks = 0;
}

void Drawlineup(std::int32_t *order) {
  Drawstate &d = Draws;
  if (d.N < 2) {
    std::fill(order, order + d.N, 0);
    return;
  }
  const std::uint32_t stamp = ++d.Stamp;
  std::uint32_t *placed = d.Placed;
  placed[d.N] = stamp;
  const std::int32_t n = d.N;
  std::int32_t i = 0;
  int next = d.Next;
  for (;;) {
    if (next == Words) {
      Refill();
      next = 0;
    }
    // A value already placed, or a rejected output, is a wasted turn: taken
    // without a branch, as these come at random.
    const std::uint16_t v = d.Values[next++];
    const bool fresh = placed[v] != stamp;
    order[i] = v;
    placed[v] = stamp;
    i += fresh;
    if (i == n) break;
  }
  d.Next = next;
}

void Stopdraws() {
  Drawstate &d = Draws;
  if (d.N < 2) return;
  if (d.Blocks > 0) {
    // The standard text of the generator's state is its last 624 words,
    // oldest first; this library also reads the position of the next word in
    // its array, 624 when all have been used.
    std::string text;
    text.reserve(Words * 11 + 4);
    for (int k = d.Next; k < Words; ++k) text += std::to_string(d.Previous[k]) + ' ';
    for (int k = 0; k < d.Next; ++k) text += std::to_string(d.Current[k]) + ' ';
    text += std::to_string(Words);
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    in >> Generator;
    if (in) return;
  }
  Generator = d.Saved;
  Generator.discard(static_cast<unsigned long long>(d.Blocks * Words + d.Next));
}

}  // namespace halvik
