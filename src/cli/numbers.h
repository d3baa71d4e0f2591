// Numbers as the command line's tables give them.
#pragma once
#include <string>

namespace halvik {

// The shortest text that reads back to the same double; "nan", "inf", "-inf".
std::string Shortest(double x);

}  // namespace halvik
