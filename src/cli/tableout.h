// Where the table of a run goes, a row at a time as each FILE is done: TSV,
// JSON, or, on a terminal with no format asked for, an aligned summary.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/fileanalysis.h"
#include "cli/options.h"
#include "driver/console/textout.h"

namespace halvik {

class Tableout {
 public:
  virtual ~Tableout() = default;
  virtual void Add(const Fileresult &result) = 0;
  // Ends the table and closes its file; throws Ioerror when it cannot.
  virtual void Finish();

 protected:
  explicit Tableout(const Options &options);
  Textsink Sink;
};

// The table the options ask for: standard output or the --output file,
// created here. Throws Ioerror when the file cannot be created.
std::unique_ptr<Tableout> Opentable(const Options &options);

// Whether the table goes to a terminal as an aligned summary.
bool Summarised(const Options &options);

}  // namespace halvik
