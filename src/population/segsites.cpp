#include "population/segsites.h"

namespace halvik {

void Findsegsites() {}

}  // namespace halvik
