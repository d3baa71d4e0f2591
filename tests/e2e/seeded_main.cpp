// Halvik with its random source fixed by the first argument, so that a
// transcript with P values can be compared byte for byte.
#include <unistd.h>

#include <cstdlib>

#include "driver/analysis.h"
#include "stats/random.h"

int main(int argc, char **argv) {
  if (argc > 1) halvik::Fixedseed = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
  return halvik::Runhalvik(STDIN_FILENO, STDOUT_FILENO);
}
