#include "stats/fastlineups.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "population/store.h"
#include "stats/random.h"

namespace halvik {

namespace {

// Lineups travel in batches through a ring of slots, so that the threads meet
// once per batch rather than once per lineup. Batch b lives in slot b % Slots
// from its drawing until its evaluation ends; workers claim batches in order,
// so the batch a slot waits for has always been claimed.
__extension__ typedef unsigned __int128 Wide;

constexpr int Batch = 16;
constexpr int Slots = 8;

std::int32_t Ring[Slots][Batch * Maxseqs];
std::uint32_t Placed[Maxseqs + 1];

struct Ringstate {
  std::mutex lock;
  std::condition_variable drawn, freed;
  std::int64_t holds[Slots];  // the batch a slot holds ready, or -1
  bool free[Slots];
  std::int64_t nextclaim = 0;
};

void Work(Ringstate &ring, int worker, std::int32_t n, std::int32_t lineups,
          const std::function<void(int, const std::int32_t *)> &use) {
  const std::int64_t batches = (lineups + Batch - 1) / Batch;
  for (;;) {
    std::unique_lock<std::mutex> guard(ring.lock);
    const std::int64_t b = ring.nextclaim++;
    if (b >= batches) return;
    const int slot = static_cast<int>(b % Slots);
    ring.drawn.wait(guard, [&] { return ring.holds[slot] == b; });
    guard.unlock();
    const std::int64_t first = b * Batch, last = std::min<std::int64_t>(lineups, first + Batch);
    for (std::int64_t r = first; r < last; ++r) use(worker, Ring[slot] + (r - first) * n);
    guard.lock();
    ring.holds[slot] = -1;
    ring.free[slot] = true;
    guard.unlock();
    ring.freed.notify_one();
  }
}

}  // namespace

void Drawlineup(std::int32_t n, std::int32_t *order, std::uint32_t *placed, std::uint32_t stamp) {
  if (n < 2) {
    for (std::int32_t i = 0; i < n; ++i) order[i] = Rnd(1, n);
    return;
  }
  // Rnd(1, n) is 1 + Randint(n): outputs at or above the largest multiple of
  // n below 2^32 are drawn again, the others are reduced mod n. The draws are
  // a fifth of the whole test's time, so the rule is spelt out here with the
  // remainder by a multiplication (exact for every 32-bit output).
  const auto width = static_cast<std::uint64_t>(n);
  const std::uint64_t limit = (std::uint64_t{1} << 32) - (std::uint64_t{1} << 32) % width;
  const std::uint64_t inverse = UINT64_MAX / width + 1;
  std::int32_t i = 0;
  while (i < n) {
    std::uint64_t r;
    do r = Getrandom();
    while (r >= limit);
    const auto v = static_cast<std::int32_t>(1 + ((static_cast<Wide>(inverse * r) * width) >> 64));
    // A draw already placed is a wasted turn, taken without a branch as these
    // come at random.
    const bool fresh = placed[v] != stamp;
    order[i] = v;
    placed[v] = stamp;
    i += fresh;
  }
}

void Runlineups(std::int32_t n, std::int32_t lineups, int workers,
                const std::function<void(int, const std::int32_t *)> &use) {
  std::fill(Placed, Placed + n + 1, 0u);
  std::uint32_t stamp = 0;
  Ringstate ring;
  std::fill(ring.holds, ring.holds + Slots, -1);
  std::fill(ring.free, ring.free + Slots, true);
  std::vector<std::thread> threads;
  if (workers > 1) {
    threads.reserve(static_cast<std::size_t>(workers));
    for (int w = 0; w < workers; ++w) {
      try {
        threads.emplace_back(Work, std::ref(ring), w, n, lineups, std::cref(use));
      } catch (const std::system_error &) {
        break;  // the threads already running do all the work
      }
    }
  }
  if (threads.empty()) {
    for (std::int32_t r = 0; r < lineups; ++r) {
      Drawlineup(n, Ring[0], Placed, ++stamp);
      use(0, Ring[0]);
    }
    return;
  }
  const std::int64_t batches = (lineups + Batch - 1) / Batch;
  for (std::int64_t b = 0; b < batches; ++b) {
    const int slot = static_cast<int>(b % Slots);
    {
      std::unique_lock<std::mutex> guard(ring.lock);
      ring.freed.wait(guard, [&] { return ring.free[slot]; });
      ring.free[slot] = false;
    }
    const std::int64_t first = b * Batch, last = std::min<std::int64_t>(lineups, first + Batch);
    for (std::int64_t r = first; r < last; ++r) Drawlineup(n, Ring[slot] + (r - first) * n, Placed, ++stamp);
    {
      std::lock_guard<std::mutex> guard(ring.lock);
      ring.holds[slot] = b;
    }
    ring.drawn.notify_all();
  }
  for (std::thread &t : threads) t.join();
}

}  // namespace halvik
