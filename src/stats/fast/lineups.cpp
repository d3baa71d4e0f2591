#include "stats/fast/lineups.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "store/store.h"
#include "stats/fast/draws.h"

namespace halvik {

namespace {

// Lineups travel in batches through a ring of slots, so that the threads meet
// once per batch rather than once per lineup. Batch b lives in slot b % Slots
// from its drawing until its evaluation ends. Batches are claimed in order,
// and the drawing thread claims only batches already drawn, so every batch
// that is waited for is on its way.
constexpr int Batch = 16;
constexpr int Slots = 8;

using Use = std::function<void(int, std::int32_t, const std::int32_t *)>;

struct Ringstate {
  std::int32_t ring[Slots][Batch * Maxseqs];
  std::int32_t drawing[Maxseqs];  // a lineup being drawn
  Drawstate draws;
  std::int32_t n, lineups;
  std::int64_t batches;
  const Use *use;
  std::mutex lock;
  std::condition_variable drawn, freed;
  std::int64_t holds[Slots];  // the batch a slot holds ready, or -1
  bool free[Slots];
  std::int64_t nextclaim = 0, nextdrawn = 0;
};

// Evaluates claimed batch b once it has been drawn, then frees its slot.
void Evaluate(Ringstate &ring, std::unique_lock<std::mutex> &guard, std::int64_t b, int worker) {
  const int slot = static_cast<int>(b % Slots);
  ring.drawn.wait(guard, [&] { return ring.holds[slot] == b; });
  guard.unlock();
  const std::int64_t first = b * Batch, last = std::min<std::int64_t>(ring.lineups, first + Batch);
  for (std::int64_t r = first; r < last; ++r)
    (*ring.use)(worker, static_cast<std::int32_t>(r), ring.ring[slot] + (r - first) * ring.n);
  guard.lock();
  ring.holds[slot] = -1;
  ring.free[slot] = true;
  ring.freed.notify_one();
}

void Work(Ringstate &ring, int worker) {
  std::unique_lock<std::mutex> guard(ring.lock);
  while (ring.nextclaim < ring.batches) Evaluate(ring, guard, ring.nextclaim++, worker);
}

// Draws every batch in order. While the ring is full the drawing thread
// evaluates drawn batches itself instead of waiting, so that one thread per
// processor keeps every processor busy.
void Draw(Ringstate &ring, int worker) {
  for (std::int64_t b = 0; b < ring.batches; ++b) {
    const int slot = static_cast<int>(b % Slots);
    {
      std::unique_lock<std::mutex> guard(ring.lock);
      while (!ring.free[slot]) {
        if (ring.nextclaim < ring.nextdrawn)
          Evaluate(ring, guard, ring.nextclaim++, worker);
        else
          ring.freed.wait(guard);
      }
      ring.free[slot] = false;
    }
    // Each lineup is drawn into a buffer that stays in cache and then copied
    // into the ring, whose lines are cold.
    const std::int64_t first = b * Batch, last = std::min<std::int64_t>(ring.lineups, first + Batch);
    for (std::int64_t r = first; r < last; ++r) {
      Drawlineup(ring.draws, ring.drawing);
      std::copy(ring.drawing, ring.drawing + ring.n, ring.ring[slot] + (r - first) * ring.n);
    }
    {
      std::lock_guard<std::mutex> guard(ring.lock);
      ring.holds[slot] = b;
      ring.nextdrawn = b + 1;
    }
    ring.drawn.notify_all();
  }
}

}  // namespace

void Runlineups(std::int32_t n, std::int32_t lineups, int workers, Mersennetwister &generator, const Use &use) {
  // Half a megabyte of slots: on the heap, one ring per test.
  const auto state = std::make_unique<Ringstate>();
  Ringstate &ring = *state;
  ring.n = n;
  ring.lineups = std::max(lineups, 0);
  ring.batches = (ring.lineups + Batch - 1) / Batch;
  ring.use = &use;
  std::fill(ring.holds, ring.holds + Slots, -1);
  std::fill(ring.free, ring.free + Slots, true);
  // The calling thread draws and is the last worker.
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(std::max(workers - 1, 0)));
  for (int w = 0; w + 1 < workers; ++w) {
    try {
      threads.emplace_back(Work, std::ref(ring), w);
    } catch (const std::system_error &) {
      break;  // the threads already running share the work
    }
  }
  if (ring.batches > 0) {
    Startdraws(ring.draws, n, generator);
    Draw(ring, workers - 1);
    Stopdraws(ring.draws, generator);
  }
  Work(ring, workers - 1);
  for (std::thread &t : threads) t.join();
}

}  // namespace halvik
