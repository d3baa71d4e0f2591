// The random source of the permutation test: MT19937 and unbiased integers.
#pragma once
#include <cstdint>
#include <optional>
#include <random>

namespace halvik {

// Seeds the generator; 0 stands for 5489.
void Seedrandom(std::uint32_t seed);
// Seeds from /dev/urandom (else /dev/random), else the time, else the process
// id; or from Fixedseed when a test has set it.
void Randomize();
// The generator's state, process-wide. std::mt19937 is the published MT19937:
// the same initialisation of the 624 state words, recurrence and tempering.
// It lives here so that Getrandom inlines into the shuffle, whose millions of
// draws are a large part of the permutation test's time.
extern std::mt19937 Generator;
extern bool Generatorseeded;

// The next 32-bit output; seeds by Randomize first if nothing has seeded yet.
inline std::uint32_t Getrandom() {
  if (!Generatorseeded) [[unlikely]]
    Randomize();
  return static_cast<std::uint32_t>(Generator());
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
