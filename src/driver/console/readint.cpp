#include "driver/console/readint.h"

#include <string>

#include "driver/console/bounded.h"
#include "driver/console/sinks.h"

namespace halvik {

namespace {

// Whether the answer is short enough to be examined: at most five characters,
// or six that start with a character no greater than "3". Character codes
// run 0 to 255: a byte above 127 is above "3", not a negative char.
bool Passeslengthrule(const std::string &answer) {
  return answer.size() <= 5 || (answer.size() == 6 && static_cast<unsigned char>(answer[0]) <= '3');
}

void Refuseastoolarge(std::int32_t upper) {
  Writestr(Console, "Please enter a positive number below ");
  Writeint(Console, static_cast<std::int64_t>(upper) + 1, 6);
  Writestr(Console, ": ");
}

}  // namespace

std::int32_t Ytothex(std::int32_t y, std::int32_t x) {
  std::int32_t product = 1;
  for (std::int32_t i = 1; i <= x; ++i) product *= y;
  return product;
}

std::int32_t Readint(std::int32_t lower, std::int32_t upper) {
  if (lower < 0 || lower > Boundlimit) lower = 0;
  if (upper > Boundlimit || upper < 0) upper = Boundlimit;
  for (;;) {
    std::string answer = Readline(Stringcapacity);
    if (answer.empty()) continue;
    if (!Passeslengthrule(answer)) {
      Refuseastoolarge(upper);
      continue;
    }
    std::int32_t value = 0;
    bool digitsonly = true;
    const auto count = static_cast<std::int32_t>(answer.size());
    for (std::int32_t i = 0; i < count && digitsonly; ++i) {
      const char c = answer[static_cast<std::size_t>(i)];
      if (c < '0' || c > '9')
        digitsonly = false;
      else
        value += (c - '0') * Ytothex(10, count - i - 1);
    }
    if (!digitsonly) {
      Writestr(Console, "Only positive numbers, please: ");
      continue;
    }
    if (value > upper) {
      Refuseastoolarge(upper);
      continue;
    }
    if (value < lower) {
      Writestr(Console, "Please enter a number above ");
      Writeint(Console, static_cast<std::int64_t>(lower) - 1, 6);
      Writestr(Console, ": ");
      continue;
    }
    return value;
  }
}

}  // namespace halvik
