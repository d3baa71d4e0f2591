#include "driver/globals.h"

#include "driver/console/bounded.h"
#include "driver/console/sinks.h"
#include "store/store.h"

namespace halvik {

std::string Filename;
std::string Resname;
std::string Errormessage;
char Goahead = ' ';

void Initialise(int keyboardfd, int consolefd) {
  Errormessage.clear();
  for (int i = 1; i <= Maxseqs; ++i) {
    Pop.Seqs[i].Otu.clear();
    Pop.Seqs[i].Otu.reserve(Stringcapacity);
  }
  Resname.clear();
  Filename.clear();
  Goahead = ' ';
  Bindsinks(keyboardfd, consolefd);
}

}  // namespace halvik
