// A scan of a VCF, and the joining of the tables of several.
#pragma once
#include <string>

#include "scan/options.h"

namespace halvik {

inline constexpr int Refusedstatus = 1, Usagestatus = 2;

// What ends a scan before it starts: a status and the message for standard
// error (without "halvik scan: ").
struct Scanstop {
  int Status;
  std::string Message;
};

// Both return the exit status; refusals (Fatalerror) and I/O failures
// (Ioerror) are raised to the caller, a stop before anything ran thrown as a
// Scanstop.
int Scanvcf(const Scanoptions &options);
int Mergetables(const Scanoptions &options);

// The whole of a file, or a usage stop naming the option that gave it.
std::string Readinput(const std::string &option, const std::string &name);

}  // namespace halvik
