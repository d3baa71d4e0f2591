// The console, the keyboard and the results file: the destinations and the
// source that every layer writes and reads through.
#pragma once
#include "driver/console/keyboard.h"
#include "driver/console/textout.h"

namespace halvik {

extern Textsink Console;         // standard output
extern Textsink Outfile;         // the results file
extern Keyboardsource Keyboard;  // standard input

// Binds the console and the keyboard to the given descriptors (-1: none) and
// leaves the results file closed.
void Bindsinks(int keyboardfd, int consolefd);

}  // namespace halvik
