// The picture of a permutation test: for each statistic a histogram of the
// values of the lineups with the observed value drawn across it, as SVG.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace halvik {

struct Nullpanel {
  std::string Name;            // "Kst", "Fst", "K*st", "F*sb"
  double Observed;             // may be NaN
  std::vector<double> Values;  // one per lineup, in the order drawn; may hold NaN and infinities
  std::int32_t Count;          // lineups at least as large as Observed
  // Whether the statistic was tested (not with one locality); its bars are
  // drawn only if it was.
  bool Tested = true;
};

struct Plotinput {
  std::string File;  // the sequence file's name as given
  std::string Pair;  // empty, or the pair of localities, e.g. "1-3" or "East-West"
  std::string Localities;  // the localities with their sizes, e.g. "East 14, West 9"
  std::int32_t Lineups;
  std::uint32_t Seed;
  std::vector<Nullpanel> Panels;  // in the order of the tested statistics
};

// The bars of one panel: bar i counts the finite values in
// [Lo + i * Width, Lo + (i + 1) * Width). Values that are NaN or infinite
// have no place on the axis and are only counted.
struct Histogram {
  double Lo = 0.0, Width = 1.0;
  std::vector<std::int32_t> Counts;
  std::int32_t Notanumber = 0, Infinite = 0;
};

// At most min(60, ceil(sqrt(n))) bins for n finite values: one centred on
// each distinct value where so few are spread on so few places; otherwise
// the Freedman-Diaconis width rounded up to 1, 2 or 5 times a power of ten,
// with edges on its multiples. Equal values make one bar.
Histogram Binvalues(const std::vector<double> &values);

// A complete SVG document of the panels, two to a row.
std::string Plotsvg(const Plotinput &input);

}  // namespace halvik
