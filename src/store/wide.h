// A signed integer of 128 bits, for sums and products that must be exact
// beyond 64 bits (g++ and clang provide it; -Wpedantic is told it is meant).
#pragma once

namespace halvik {

__extension__ typedef __int128 Wide;

}  // namespace halvik
