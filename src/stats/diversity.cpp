#include "stats/diversity.h"

#include "driver/globals.h"
#include "driver/textout.h"
#include "population/store.h"

namespace halvik {

namespace {

// The proportion of positions that are segregating.
double Proportion() { return static_cast<double>(Pop.Numsegsites) / static_cast<double>(Pop.Seqlength); }

void Report(const char *label, double value) {
  Writestr(Console, label);
  Writereal(Console, value, 8, 6);
  Writeln(Console);
  Writestr(Outfile, label);
  Writech(Outfile, '\t');
  Writereal(Outfile, value, 8, 6);
  Writeln(Outfile);
}

}  // namespace

void Pn() { Report("Pn:  ", Proportion()); }

void Theta() {
  // The harmonic sum runs over every sequence, 1..N.
  double a = 0.0;
  for (std::int32_t i = 1; i <= Pop.Numseqs; ++i) a += 1.0 / static_cast<double>(i);
  Report("Theta:  ", Proportion() / a);
}

}  // namespace halvik
