// The process-wide state of the dialogue. The console, the keyboard and the
// results file live in the console layer (driver/console/sinks.h), the
// population store with its own code (population/store.h).
#pragma once
#include <string>

namespace halvik {

extern std::string Filename;      // the sequence file, as typed
extern std::string Resname;       // Filename + ".HVK"
extern std::string Errormessage;  // why the last analysis was abandoned; empty if it was not
extern char Goahead;              // the answer to the start-again question

// Resets the globals to their state at program start, with the console and
// keyboard bound to the given descriptors.
void Initialise(int keyboardfd, int consolefd);

}  // namespace halvik
