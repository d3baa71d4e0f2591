#include <unistd.h>

#include <string_view>

#include "cli/commandline.h"
#include "driver/analysis.h"
#include "scan/scan.h"

// With no arguments, the dialogue; "scan", the genome scan; any other, the
// command line.
int main(int argc, char **argv) {
  if (argc > 1 && std::string_view(argv[1]) == "scan") return halvik::Runscan(argc - 1, argv + 1);
  return argc > 1 ? halvik::Runcommandline(argc, argv) : halvik::Runhalvik(STDIN_FILENO, STDOUT_FILENO);
}
