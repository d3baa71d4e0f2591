#include "stats/fast/draws.h"

#include <algorithm>

namespace halvik {

namespace {

constexpr int Words = Drawstate::Words;

// The draws of one block of words. The quotient of an output r < 2^32 by N
// is taken as r * floor(2^32 / N) / 2^32, rounded down: less than r/N by
// less than r/2^32 < 1, so it is the quotient or one below, and one
// correction brings the remainder into 0..N-1.
[[gnu::always_inline]] inline void Reduce(const std::uint32_t *__restrict words, std::uint16_t *__restrict values,
                                          std::uint32_t n, std::uint32_t magic, std::uint32_t highest) {
  for (int i = 0; i < Words; ++i) {
    const std::uint32_t r = Temper(words[i]);
    const auto quotient = static_cast<std::uint32_t>(static_cast<std::uint64_t>(r) * magic >> 32);
    std::uint32_t rest = r - quotient * n;
    rest -= rest >= n ? n : 0u;
    values[i] = static_cast<std::uint16_t>(r > highest ? n : rest);
  }
}

// The same loops for the processor's widest vectors.
[[gnu::always_inline]] inline void Fillwith(std::uint32_t *words, std::uint16_t *values, std::uint32_t n,
                                            std::uint32_t magic, std::uint32_t highest, bool twist) {
  if (twist) Twistwords(words);
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
                                                                      std::uint32_t n, std::uint32_t m, std::uint32_t h,
                                                                      bool t) {
  Fillwith(w, v, n, m, h, t);
}

void Fill(Drawstate &d, bool twist) {
  const auto n = static_cast<std::uint32_t>(d.N);
  if (d.Vectors == 512)
    Fillavx512(d.Current, d.Values, n, d.Magic, d.Highest, twist);
  else if (d.Vectors == 256)
    Fillavx2(d.Current, d.Values, n, d.Magic, d.Highest, twist);
  else
    Fillplain(d.Current, d.Values, n, d.Magic, d.Highest, twist);
}

void Refill(Drawstate &d) {
  std::copy(d.Current, d.Current + Words, d.Previous);
  Fill(d, true);
  d.Next = 0;
  ++d.Blocks;
}

}  // namespace

void Startdraws(Drawstate &d, std::int32_t n, Mersennetwister &generator, int vectors) {
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
  // The next 624 outputs give the next 624 words of the state, from which
  // every later one follows.
  d.Saved = generator;
  for (std::uint32_t &word : d.Current) word = Untemper(Nextoutput(generator));
  Fill(d, false);
  d.Next = 0;
  d.Blocks = 0;
}

void Drawlineup(Drawstate &d, std::int32_t *order) {
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
      Refill(d);
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

void Stopdraws(const Drawstate &d, Mersennetwister &generator) {
  if (d.N < 2) return;
  if (d.Blocks == 0) {
    // Still in the first block: the generator as it was, advanced by the
    // outputs used.
    generator = d.Saved;
    for (int k = 0; k < d.Next; ++k) Nextoutput(generator);
    return;
  }
  // The state is the last 624 words, oldest first, with the next output to
  // come from a new block: the same outputs as a word-by-word use.
  std::copy(d.Previous + d.Next, d.Previous + Words, generator.State);
  std::copy(d.Current, d.Current + d.Next, generator.State + (Words - d.Next));
  generator.Index = Words;
}

}  // namespace halvik
