#include "stats/furtherstats.h"

#include "store/store.h"
#include "stats/dialogue.h"
#include "stats/distances.h"
#include "stats/permutation.h"
#include "stats/subdivision.h"

namespace halvik {

void Furtherstats() {
  const Localities division = Definelocalities();
  // Every statistic from here on compares the same pairs again and again.
  const Distances distances = Measuredistances(Pop);
  const Subdivision observed = Subdivisionstats(distances, division);
  Testlineups(distances, division, Testedvalues(observed), Asklineups());
}

}  // namespace halvik
