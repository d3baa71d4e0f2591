#include "driver/console/sinks.h"

namespace halvik {

Textsink Console;
Textsink Outfile;
Keyboardsource Keyboard;

void Bindsinks(int keyboardfd, int consolefd) {
  Outfile = Textsink{};
  Outfile.What = "the results file";
  Console = Textsink{};
  Console.Fd = consolefd;
  Console.What = "the console";
  Keyboard = Keyboardsource{};
  Keyboard.Fd = keyboardfd;
}

}  // namespace halvik
