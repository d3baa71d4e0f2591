#include "stats/localities.h"

namespace halvik {

void Furtherstats() {}

}  // namespace halvik
