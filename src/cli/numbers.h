// Numbers as the command line's tables give them.
#pragma once
#include <string>

namespace halvik {

// The shortest text that reads back to the same double, in plain decimals
// from 1e-5 to 1e15; "nan", "inf", "-inf".
std::string Shortest(double x);

}  // namespace halvik
