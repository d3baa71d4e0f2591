#include "cli/numbers.h"

#include <charconv>
#include <cmath>

namespace halvik {

std::string Shortest(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, x).ptr;
  return std::string(text, end);
}

}  // namespace halvik
