#include "scan/scan.h"

#include <cstdio>

namespace halvik {

int Runscan(int, char **) {
  std::fputs("halvik scan: not built yet\n", stderr);
  return 2;
}

}  // namespace halvik
