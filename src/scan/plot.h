// The scan's picture: Kst and -log10 p1 of every window along the genome,
// the chromosomes side by side, as SVG.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scan/result.h"

namespace halvik {

class Plotter {
 public:
  // A window's row and its Kst q-value; windows come in table order.
  void Add(const Windowresult &row, const Runinfo &run, double q);
  // The picture, headed by `title` (a file name, say) and the run's lineups.
  std::string Svg(const std::string &title, const Runinfo &run) const;

 private:
  struct Point {
    std::int32_t Chrom;
    double Position, Kst, P1, Q;  // the window's middle; nan where untested
  };
  struct Extent {
    std::string Name;
    std::int64_t First, Last;  // the windows' first start and last end
  };
  // Chromosomes in order of their first window; Points' Chrom indexes them.
  std::vector<Extent> Chroms;
  std::vector<Point> Points;
};

}  // namespace halvik
