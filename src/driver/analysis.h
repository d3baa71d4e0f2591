// The analysis loop: analyses one after another until the user stops.
#pragma once

namespace halvik {

// Closes the results file of a completed analysis.
void Finish();

// Runs one analysis; a fatal data error abandons it with Errormessage set.
void Analyse();

// Initialises the globals on the given descriptors and runs analyses until the
// user declines to start again. Returns the exit status: 0 after a normal end,
// 42 after a failed input or output operation (reported on standard error).
int Runhalvik(int keyboardfd, int consolefd);

// The same on globals already initialised (tests bind the console and the
// keyboard to memory first).
int Runanalyses();

}  // namespace halvik
