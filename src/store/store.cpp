#include "store/store.h"

namespace halvik {

Population Pop;

std::string Stringfromint(std::int32_t n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
  return digits;
}

}  // namespace halvik
