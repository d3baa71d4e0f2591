#include <unistd.h>

#include "driver/analysis.h"

int main() { return halvik::Runhalvik(STDIN_FILENO, STDOUT_FILENO); }
