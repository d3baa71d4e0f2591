// halvik [OPTIONS] FILE...: analyses without questions, and their table.
#pragma once

namespace halvik {

// Runs the command line and returns the exit status: 0 when every FILE was
// analysed, 1 when any was refused, 2 for a usage error, 42 when a file or
// standard output could not be read or written (reported on standard error).
int Runcommandline(int argc, char **argv);

}  // namespace halvik
