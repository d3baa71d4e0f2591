// The end of a run: the rows, their q-values now known, printed to the
// table and the picture, each through its temporary file.
#pragma once
#include <memory>
#include <string>

#include "scan/options.h"
#include "scan/outputs.h"
#include "scan/plot.h"
#include "scan/spool.h"

namespace halvik {

// Where a run's rows go. The files are opened when this is made, before
// the scan, so that an output that cannot be created stops the run at once.
struct Destinations {
  explicit Destinations(const Scanoptions &options);
  std::optional<Scanformat> Format;  // none: TSV, or the summary on a terminal
  Outputfile Table;
  std::unique_ptr<Outputfile> Picture;
  Plotter Plot;
};

// The rows in the spool (and their Ps in `qvalues`) to the destinations.
void Report(Spool &spool, Qvalues &qvalues, const Runinfo &run, Destinations &to, const std::string &title);

}  // namespace halvik
