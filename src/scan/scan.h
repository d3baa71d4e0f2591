// halvik scan [OPTIONS] VCF: every window of a VCF tested.
#pragma once

namespace halvik {

// Runs a scan with the arguments after "scan" (argv[0] is "scan") and
// returns the exit status: 0, 1 for a refused VCF or map, 2 for a usage
// error, 42 when a file could not be read or written.
int Runscan(int argc, char **argv);

}  // namespace halvik
