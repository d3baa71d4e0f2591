// The random source of the permutation test: MT19937 and unbiased integers.
#pragma once
#include <cstdint>
#include <optional>

namespace halvik {

// Seeds the generator; 0 stands for 5489.
void Seedrandom(std::uint32_t seed);
// Seeds from /dev/urandom (else /dev/random), else the time, else the process
// id; or from Fixedseed when a test has set it.
void Randomize();
// The next 32-bit output; seeds by Randomize first if nothing has seeded yet.
std::uint32_t Getrandom();
// A uniform integer in 0..n-1 by rejection; 0 without drawing when n < 2.
std::uint64_t Randint(std::uint64_t n);
// A uniform integer in lo..hi, both included.
std::int32_t Rnd(std::int32_t lo, std::int32_t hi);

// Tests set this to make every analysis start from a known seed.
extern std::optional<std::uint32_t> Fixedseed;

}  // namespace halvik
