// The locality dialogue, the subdivision statistics and their permutation test.
#pragma once

namespace halvik {

void Furtherstats();

}  // namespace halvik
