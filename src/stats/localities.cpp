#include "stats/localities.h"

#include "stats/dialogue.h"
#include "stats/permutation.h"
#include "stats/subdivision.h"

namespace halvik {

void Furtherstats() {
  const Localities division = Definelocalities();
  const Subdivision observed = Subdivisionstats(division);
  Permutationtest(division, Testedvalues(observed));
}

}  // namespace halvik
