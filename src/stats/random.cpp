#include "stats/random.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace halvik {

std::optional<std::uint32_t> Fixedseed;
Mersennetwister Generator;
bool Generatorseeded = false;

namespace {

// The first non-zero 4-byte word of the device, or 0 when there is none.
std::uint32_t Deviceword() {
  const char *device = nullptr;
  if (::access("/dev/urandom", F_OK) == 0)
    device = "/dev/urandom";
  else if (::access("/dev/random", F_OK) == 0)
    device = "/dev/random";
  if (device == nullptr) return 0;
  std::FILE *f = std::fopen(device, "rb");
  if (f == nullptr) return 0;
  std::uint32_t word = 0;
  unsigned char bytes[4];
  while (std::fread(bytes, 1, 4, f) == 4) {
    word = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    if (word != 0) break;
  }
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return failed ? 0 : word;
}

}  // namespace

void Seedgenerator(Mersennetwister &generator, std::uint32_t seed) {
  std::uint32_t *w = generator.State;
  w[0] = seed;
  for (std::uint32_t i = 1; i < Mersennetwister::Words; ++i) w[i] = 1812433253u * (w[i - 1] ^ (w[i - 1] >> 30)) + i;
  generator.Index = Mersennetwister::Words;
}

void Twist(Mersennetwister &generator) {
  Twistwords(generator.State);
  generator.Index = 0;
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

void Seedrandom(std::uint32_t seed) {
  Seedgenerator(Generator, seed == 0 ? 5489u : seed);
  Generatorseeded = true;
}

std::uint32_t Deviceseed() {
  std::uint32_t seed = Deviceword();
  if (seed == 0) seed = static_cast<std::uint32_t>(std::time(nullptr));
  if (seed == 0) seed = static_cast<std::uint32_t>(::getpid());
  return seed;
}

void Randomize() { Seedrandom(Fixedseed ? *Fixedseed : Deviceseed()); }

std::uint64_t Randint(std::uint64_t n) { return Randintwith(n, Getrandom); }

std::int32_t Rnd(std::int32_t lo, std::int32_t hi) {
  const std::int64_t width = static_cast<std::int64_t>(hi) - lo + 1;
  return static_cast<std::int32_t>(lo + static_cast<std::int64_t>(Randint(static_cast<std::uint64_t>(width))));
}

}  // namespace halvik
