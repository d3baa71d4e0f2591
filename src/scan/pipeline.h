// The windows read on the calling thread and tested on several.
#pragma once
#include <functional>

#include "scan/result.h"
#include "scan/window.h"
#include "scan/windowtest.h"

namespace halvik {

using Windowtaker = std::function<void(Windowdata &&)>;

// `produce` hands every window, in order, to the taker it is given, on the
// calling thread. Each is tested on one of `threads` threads (the calling
// thread among them, whenever it would otherwise wait) and `sink` receives
// the results in window order on the calling thread. At most a few windows
// per thread wait at any time, so memory stays that of a few windows.
void Testwindows(const std::function<void(const Windowtaker &)> &produce, const Testsetup &setup, int threads,
                 const std::function<void(Windowresult &&)> &sink);

}  // namespace halvik
