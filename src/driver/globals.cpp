#include "driver/globals.h"

#include <algorithm>

#include "driver/failure.h"
#include "population/store.h"

namespace halvik {

std::string Filename;
std::string Resname;
std::string Errormessage;
char Goahead = ' ';
Textsink Outfile;
Textsink Console;
Keyboardsource Keyboard;

void Assignbounded(std::string &target, std::string_view text) {
  target.assign(text.substr(0, std::min(text.size(), Stringcapacity)));
}

void Initialise(int keyboardfd, int consolefd) {
  Errormessage.clear();
  for (int i = 1; i <= Maxseqs; ++i) {
    Pop.Seqs[i].Otu.clear();
    Pop.Seqs[i].Otu.reserve(Stringcapacity);
  }
  Outfile = Textsink{};
  Outfile.what = "the results file";
  Resname.clear();
  Filename.clear();
  Goahead = ' ';
  Console = Textsink{};
  Console.fd = consolefd;
  Console.what = "the console";
  Keyboard = Keyboardsource{};
  Keyboard.fd = keyboardfd;
}

[[noreturn]] void Raisefatal(std::string_view message) {
  Assignbounded(Errormessage, message);
  throw Fatalerror{};
}

}  // namespace halvik
