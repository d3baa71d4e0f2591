#include <unistd.h>

#include "cli/commandline.h"
#include "driver/analysis.h"

// With no arguments, the dialogue; with any, the command line.
int main(int argc, char **argv) {
  return argc > 1 ? halvik::Runcommandline(argc, argv) : halvik::Runhalvik(STDIN_FILENO, STDOUT_FILENO);
}
