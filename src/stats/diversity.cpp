#include "stats/diversity.h"

namespace halvik {

void Pn() {}
void Theta() {}

}  // namespace halvik
