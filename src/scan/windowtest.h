// One window's statistics and their permutation tests.
#pragma once
#include <cstdint>
#include <string>

#include "scan/kernel.h"
#include "scan/lineups.h"
#include "scan/result.h"
#include "scan/samples.h"
#include "scan/window.h"

namespace halvik {

// What every window of a run is tested with.
struct Testsetup {
  const Samplelayout *Layout = nullptr;
  Lineupset Lineups;
  Kernel Whole;     // every lineup at once
  Kernel Bylineup;  // lineup by lineup, for --stop-after
  std::int32_t Stopafter = 0;
  std::string Runnotes;                 // said in every row
  std::int64_t Snnlargest = INT64_MAX;  // see Nearest
};

Testsetup Setuptests(const Samplelayout &layout, std::int32_t lineups, std::uint32_t seed, std::int32_t stopafter);

// The window's row: nan and no test where there is nothing to test, with
// the reason in its notes.
Windowresult Testwindow(const Windowdata &window, const Testsetup &setup);

}  // namespace halvik
