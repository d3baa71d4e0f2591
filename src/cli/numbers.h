// Numbers as the command line's tables give them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace halvik {

// The shortest text that reads back to the same double; "nan", "inf", "-inf".
std::string Shortest(double x);

// A permutation test's P values for one statistic: count / R (the
// dialogue's P), (count + 1) / (R + 1), and the standard error of the first,
// sqrt(p (1 - p) / R). All NaN when the observed value is NaN: no lineup can
// reach it, and no table may show such a test as significant.
struct Pvalues {
  double P, P1, Se;
};
Pvalues Pvaluesof(std::int32_t count, std::int32_t lineups, double observed);

// Holm's step-down adjustment of a family of P values (Holm 1979, Scand. J.
// Statist. 6:65-70): the i-th smallest of the m that are numbers becomes the
// largest of min(1, (m - j + 1) p_(j)) over j <= i. NaN stays NaN and does
// not count in m.
std::vector<double> Holm(const std::vector<double> &p);

}  // namespace halvik
