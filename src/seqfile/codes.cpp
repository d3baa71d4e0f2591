#include "seqfile/codes.h"

#include <string>

#include "driver/console/failure.h"

namespace halvik {

void Impropercharacter(char c) {
  std::string message = "\nHalvik tried to convert an improper character:  ";
  message.push_back(c);
  Raisefatal(message);
}

void Impropernucleotide() { Raisefatal("\nHalvik tried to convert an improper nucleotide!!"); }

}  // namespace halvik
