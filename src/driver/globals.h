// The process-wide state of Halvik. The population store lives with its own
// code (population/store.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "driver/keyboard.h"
#include "driver/textout.h"

namespace halvik {

// Every text value of the program holds at most this many characters.
inline constexpr std::size_t Stringcapacity = 255;

extern std::string Filename;      // the sequence file, as typed
extern std::string Resname;       // Filename + ".HVK"
extern std::string Errormessage;  // why the last analysis was abandoned; empty if it was not
extern char Goahead;              // the answer to the start-again question
extern Textsink Outfile;          // the results file
extern Textsink Console;          // standard output
extern Keyboardsource Keyboard;   // standard input

// Assigns text to a bounded string, keeping its first 255 characters.
void Assignbounded(std::string &target, std::string_view text);

// Resets the globals to their state at program start, with the console and
// keyboard bound to the given descriptors.
void Initialise(int keyboardfd, int consolefd);

}  // namespace halvik
