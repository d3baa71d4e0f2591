#include "stats/diversity.h"

#include "driver/console/sinks.h"
#include "store/store.h"

namespace halvik {

namespace {

double Report(const char *label, double value) {
  Writestr(Console, label);
  Writereal(Console, value, 8, 6);
  Writeln(Console);
  Writestr(Outfile, label);
  Writech(Outfile, '\t');
  Writereal(Outfile, value, 8, 6);
  Writeln(Outfile);
  return value;
}

}  // namespace

double Pnof(std::int32_t segsites, std::int32_t length) {
  return static_cast<double>(segsites) / static_cast<double>(length);
}

double Thetaof(std::int32_t segsites, std::int32_t length, std::int32_t n) {
  // The harmonic sum runs over every sequence, 1..N.
  double a = 0.0;
  for (std::int32_t i = 1; i <= n; ++i) a += 1.0 / static_cast<double>(i);
  return Pnof(segsites, length) / a;
}

double Pn() { return Report("Pn:  ", Pnof(Pop.Numsegsites, Pop.Seqlength)); }

double Theta() { return Report("Theta:  ", Thetaof(Pop.Numsegsites, Pop.Seqlength, Pop.Numseqs)); }

}  // namespace halvik
