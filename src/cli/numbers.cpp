#include "cli/numbers.h"

#include <charconv>
#include <cmath>

namespace halvik {

std::string Shortest(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  char text[400];
  // Plain decimals where they stay short (0.0004, not 4e-04), the shortest
  // text either way; both read back to the same double.
  const double size = std::fabs(x);
  const bool plain = size == 0.0 || (size >= 1e-5 && size < 1e15);
  const auto end = plain ? std::to_chars(text, text + sizeof text, x, std::chars_format::fixed).ptr
                         : std::to_chars(text, text + sizeof text, x).ptr;
  return std::string(text, end);
}

}  // namespace halvik
