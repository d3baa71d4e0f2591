#include "driver/console/sinks.h"

namespace halvik {

Textsink Console;
Textsink Outfile;
Keyboardsource Keyboard;

void Bindsinks(int keyboardfd, int consolefd) {
  Outfile = Textsink{};
  Outfile.what = "the results file";
  Console = Textsink{};
  Console.fd = consolefd;
  Console.what = "the console";
  Keyboard = Keyboardsource{};
  Keyboard.fd = keyboardfd;
}

}  // namespace halvik
