#include "stats/localities.h"

#include "population/difftable.h"
#include "stats/dialogue.h"
#include "stats/permutation.h"
#include "stats/subdivision.h"

namespace halvik {

void Furtherstats() {
  const Localities division = Definelocalities();
  // Every statistic from here on compares the same pairs again and again.
  const Difftablescope table;
  const Subdivision observed = Subdivisionstats(division);
  Permutationtest(division, Testedvalues(observed));
}

}  // namespace halvik
