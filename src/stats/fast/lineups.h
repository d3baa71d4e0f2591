// Randomized lineups drawn in order on one thread and evaluated on all.
#pragma once
#include <cstdint>
#include <functional>

#include "stats/random.h"

namespace halvik {

// Draws `lineups` lineups of 1..n from the generator on the calling thread,
// in order, and hands each to use(worker, r, order): r is the lineup's number
// from 0 in the order drawn, order[p-1] + 1 the record at position p (see
// Drawlineup). It runs on one of `workers` threads (worker 0 to workers-1);
// the calling thread is the last of them and evaluates whenever it is ahead.
// With one worker, or if no thread can be started, everything runs on the
// calling thread. A lineup's evaluation must not depend on which worker gets
// it; the draws are the same whatever the number of workers, and the
// generator is left where the literal shuffle would leave it.
void Runlineups(std::int32_t n, std::int32_t lineups, int workers, Mersennetwister &generator,
                const std::function<void(int, std::int32_t, const std::int32_t *)> &use);

}  // namespace halvik
