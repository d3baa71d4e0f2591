#include "driver/analysis.h"

#include <csignal>
#include <cstdio>

#include "analysis/pipeline.h"
#include "driver/console/bounded.h"
#include "driver/console/failure.h"
#include "driver/console/sinks.h"
#include "driver/globals.h"
#include "driver/intro.h"
#include "driver/keyboardanswers.h"
#include "driver/printer.h"
#include "stats/random.h"

namespace halvik {

namespace {

void Loop() {
  do {
    Errormessage.clear();
    try {
      Analyse();
    } catch (const Fatalerror &refusal) {
      // Abandoned: the results file stays open with the lines written so far.
      Assignbounded(Errormessage, refusal.Message);
    }
    Writestr(Console, Errormessage);
    Writeln(Console);
    Writestr(Console, "Would you like to start again (y/n)?  ");
    Goahead = Readfirstchar();
  } while (Goahead == 'y');
}

// Best effort on the way out after a failure: whatever can still be written
// is written, and nothing more is reported.
void Salvage() {
  try {
    Deliver(Console);
  } catch (const Ioerror &) {
  }
  try {
    Closefile(Outfile);
  } catch (const Ioerror &) {
  }
}

}  // namespace

void Finish() { Closefile(Outfile); }

void Analyse() {
  Intro();
  // The store is the dialogue's own; the test draws from the generator that
  // the introduction seeded.
  Analysis analysis;
  analysis.File = Filename;
  analysis.Sample = &Pop;
  analysis.Generator = Generator;
  Keyboardanswers answers;
  Dialogueprinter printer(Console, Outfile);
  Runanalysis(analysis, Samplesource{Sequencesource{Filename}}, answers, printer);
  Finish();
}

int Runhalvik(int keyboardfd, int consolefd) {
  // A console whose reader has gone, or a results file past the file-size
  // limit, must fail a write (status 42 with a report), not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  Initialise(keyboardfd, consolefd);
  return Runanalyses();
}

int Runanalyses() {
  try {
    Loop();
    Closefile(Outfile);
    Deliver(Console);
    return 0;
  } catch (const Ioerror &failure) {
    Salvage();
    std::fprintf(stderr, "halvik: %s\n", failure.what());
    return Ioerrorstatus;
  }
}

}  // namespace halvik
