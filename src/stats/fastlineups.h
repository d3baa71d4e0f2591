// Randomized lineups drawn in order on one thread and evaluated on all.
#pragma once
#include <cstdint>
#include <functional>

namespace halvik {

// Draws a lineup of records 1..n into order[0..n-1] (order[p-1] is the record
// at position p) with the same Rnd calls as the literal shuffle: position i
// takes the first draw of Rnd(1, n) not placed before. `placed` (n+1 entries)
// marks placed records with `stamp`; a fresh stamp per lineup saves clearing.
void Drawlineup(std::int32_t n, std::int32_t *order, std::uint32_t *placed, std::uint32_t stamp);

// Draws `lineups` lineups of 1..n on the calling thread, in order, and hands
// each to use(worker, order) on one of `workers` threads (worker 0 to
// workers-1); the calling thread is the last of them and evaluates whenever
// it is ahead. With one worker, or if no thread can be started, everything
// runs on the calling thread. A lineup's evaluation must not depend on which
// worker gets it; the draws are the same whatever the number of workers.
void Runlineups(std::int32_t n, std::int32_t lineups, int workers,
                const std::function<void(int, const std::int32_t *)> &use);

}  // namespace halvik
