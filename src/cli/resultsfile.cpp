#include "cli/resultsfile.h"

#include "driver/console/failure.h"

namespace halvik {

Resultsprinter::~Resultsprinter() {
  // A refused FILE keeps the lines written so far; a failure to write them is
  // reported by Close, and here, unwinding, can only be left unsaid.
  try {
    Closefile(Sink);
  } catch (const Ioerror &) {
  }
}

void Resultsprinter::Close() { Closefile(Sink); }

Textsink &Resultsprinter::Results() {
  if (Name.empty())
    Sink.Discard = true;  // no results file is wanted
  else if (Sink.Fd < 0)
    Createfile(Sink, Name);
  return Sink;
}

}  // namespace halvik
