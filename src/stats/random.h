// The random source of the permutation test: MT19937 and unbiased integers.
#pragma once
#include <cstdint>
#include <optional>

namespace halvik {

// MT19937 with its published parameters: the last 624 words generated (the
// state), oldest first once a block is used up, and the position of the next
// word to temper and hand out; 624 means the next output twists a new block.
// Plain data, so that the permutation test's draws can take it over a block
// at a time and hand it back exactly where a word-by-word use would be.
struct Mersennetwister {
  static constexpr int Words = 624, Gap = 397;
  std::uint32_t State[Words];
  int Index = Words;
};

// The published initialisation of the state from a seed.
void Seedgenerator(Mersennetwister &generator, std::uint32_t seed);

// The published recurrence: the next block of 624 words from the last, in
// place. Inline, so that the permutation test's draws can compile it for the
// processor's widest vectors.
[[gnu::always_inline]] inline std::uint32_t Mixwords(std::uint32_t low, std::uint32_t high, std::uint32_t far) {
  const std::uint32_t y = (low & 0x80000000u) | (high & 0x7fffffffu);
  return far ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908b0dfu);
}
[[gnu::always_inline]] inline void Twistwords(std::uint32_t *__restrict w) {
  constexpr int Words = Mersennetwister::Words, Gap = Mersennetwister::Gap;
  for (int i = 0; i < Words - Gap; ++i) w[i] = Mixwords(w[i], w[i + 1], w[i + Gap]);
  for (int i = Words - Gap; i < Words - 1; ++i) w[i] = Mixwords(w[i], w[i + 1], w[i + Gap - Words]);
  w[Words - 1] = Mixwords(w[Words - 1], w[0], w[Gap - 1]);
}
void Twist(Mersennetwister &generator);

// The published tempering of a word and its inverse.
[[gnu::always_inline]] inline std::uint32_t Temper(std::uint32_t y) {
  y ^= y >> 11;
  y ^= y << 7 & 0x9d2c5680u;
  y ^= y << 15 & 0xefc60000u;
  return y ^ (y >> 18);
}
std::uint32_t Untemper(std::uint32_t y);

inline std::uint32_t Nextoutput(Mersennetwister &generator) {
  if (generator.Index >= Mersennetwister::Words) Twist(generator);
  return Temper(generator.State[generator.Index++]);
}

// The generator's state, process-wide. It lives here so that Getrandom
// inlines into the shuffle, whose millions of draws are a large part of the
// permutation test's time.
extern Mersennetwister Generator;
extern bool Generatorseeded;

// Seeds the generator; 0 stands for 5489.
void Seedrandom(std::uint32_t seed);
// The seed Randomize takes: the first non-zero 4-byte word of /dev/urandom
// (else /dev/random), its first byte lowest; else the time in seconds; if
// that is 0, the process id.
std::uint32_t Deviceseed();
// Seeds with Deviceseed(), or with Fixedseed when a test has set it.
void Randomize();

// The next 32-bit output; seeds by Randomize first if nothing has seeded yet.
inline std::uint32_t Getrandom() {
  if (!Generatorseeded) [[unlikely]]
    Randomize();
  return Nextoutput(Generator);
}
// A uniform integer in 0..n-1 by rejection; 0 without drawing when n < 2.
std::uint64_t Randint(std::uint64_t n);

// Randint's rule over any source of 32-bit outputs: below 2^32 an output is
// taken only below the largest multiple of n, then reduced mod n.
template <class Draw>
std::uint64_t Randintwith(std::uint64_t n, Draw draw) {
  if (n < 2) return 0;
  constexpr std::uint64_t Span = std::uint64_t{1} << 32;
  if (n < Span) {
    const std::uint64_t limit = Span - Span % n;
    std::uint64_t r;
    do r = draw();
    while (r >= limit);
    return r % n;
  }
  // Never asked by the program (its counts are at most 1000): two outputs make
  // a 64-bit word, rejected above the largest multiple of n.
  const std::uint64_t limit = UINT64_MAX - (UINT64_MAX % n + 1) % n;
  std::uint64_t r;
  do {
    const std::uint64_t high = draw();
    r = high << 32 | static_cast<std::uint64_t>(draw());
  } while (r > limit);
  return r % n;
}
// A uniform integer in lo..hi, both included.
std::int32_t Rnd(std::int32_t lo, std::int32_t hi);

// Tests set this to make every analysis start from a known seed.
extern std::optional<std::uint32_t> Fixedseed;

}  // namespace halvik
